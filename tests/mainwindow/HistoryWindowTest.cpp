// The change history from the main window: a programming is recorded with what the sensor held
// before, File -> "Change History ..." shows it and recalls the setup before onto the screen,
// and a history that cannot be written is said in the message band while the programming
// succeeds.
#include <gtest/gtest.h>

#include <QTableWidget>
#include <QTest>

#include "history/HistoryRecorder.h"
#include "support/MainWindowFixture.h"
#include "support/Modal.h"

namespace k7 {
namespace {

class HistoryWindowTest : public test::MainWindowFixture {
protected:
    sim::SimSensor* s = nullptr;
    std::unique_ptr<HistoryRecorder> recorder;

    void SetUp() override {
        MainWindowFixture::SetUp();
        s = &addSensor(3);
    }
    // The program as main() starts it: the recorder on the link, the window attached to it.
    void go(const QString& db) {
        recorder = std::make_unique<HistoryRecorder>(
            HistoryRecorder::Setup{db.toStdString(), "k7700 test", [] { return "SIM"; }});
        m.link.changeSink = recorder.get();
        m.portOverridden = true;
        m.discovery.port = {0, "SIM"};
        form = std::make_unique<MainWindow>(m, ui, std::vector<std::string>{});
        ui.attach(form.get(), &m);
        form->attachHistory(*recorder);
        form->load();
        form->show();
        QApplication::setActiveWindow(form.get());
    }
    void programHysteresis(const char* percent) {
        type(form->Hysteresis1, percent);
        QTest::mouseClick(form->ProgramModule, Qt::LeftButton);
        recorder->flush();
    }
};

QString cellOfRow(QTableWidget* t, const QString& setting, int column) {
    for (int r = 0; r < t->rowCount(); ++r) {
        if (t->item(r, 1) && t->item(r, 1)->text() == setting) return t->item(r, column)->text();
    }
    return "(no row " + setting + ")";
}

TEST_F(HistoryWindowTest, AProgrammingIsListedAndItsSetupBeforeRecalled) {
    go(dir.path() + "/history.sqlite");
    const QString before = text("Hysteresis1");
    programHysteresis("12");
    ASSERT_EQ(s->cell(90), 12);

    bool seen = false;
    test::whenModalOpens([&](QWidget* w) {
        auto* list = w->findChild<QTableWidget*>("lstChanges");
        auto* table = w->findChild<QTableWidget*>("tblChange");
        ASSERT_TRUE(list && table);
        EXPECT_EQ(list->rowCount(), 1);
        EXPECT_EQ(list->item(0, 1)->text(), "Program");
        EXPECT_EQ(list->item(0, 3)->text(), "done");
        EXPECT_EQ(cellOfRow(table, "Hysteresis", 2), before + " %");
        EXPECT_EQ(cellOfRow(table, "Hysteresis", 3), "12 %");
        const QByteArray shots = qgetenv("K7_SCREENSHOTS");
        if (!shots.isEmpty()) w->grab().save(QString::fromUtf8(shots) + "/change-history.png");
        seen = true;
        QTest::mouseClick(w->findChild<QPushButton*>("cmdRecallBefore"), Qt::LeftButton);
    });
    form->MenuChangeHistory->trigger();
    ASSERT_TRUE(seen);
    // On screen, to be programmed; nothing written by the recall.
    EXPECT_TRUE(m.editModeActive);
    EXPECT_EQ(text("Hysteresis1"), before);
    EXPECT_EQ(s->cell(90), 12);
}

TEST_F(HistoryWindowTest, AHistoryThatCannotBeWrittenIsSaidInTheBandAndTheProgrammingDone) {
    go(dir.path());  // a folder, which no database can be
    programHysteresis("12");
    EXPECT_EQ(s->cell(90), 12);
    EXPECT_TRUE(QTest::qWaitFor([&] { return text("Message").contains("change history"); }, 3000));
    EXPECT_TRUE(text("Message").startsWith(
        "ID tag 3 programmed: every setting written and verified. Not recorded in the change "
        "history: Program of ID tag 3 (serial 100003): the change history"))
        << text("Message").toStdString();
}

}  // namespace
}  // namespace k7
