#pragma once
// The main window with setup files: answering the file dialogs and the error window as a user
// does, and sensors with settings of their own.
#include <QFileDialog>
#include <QFileInfo>
#include <QLineEdit>
#include <QMessageBox>
#include <QPlainTextEdit>
#include <QPointer>
#include <QPushButton>
#include <fstream>
#include <functional>
#include <iterator>

#include "support/MainWindowFixture.h"

namespace k7::test {

using Act = std::function<void(QWidget*)>;

inline std::vector<QPointer<QTimer>>& pendingAnswers() {
    static std::vector<QPointer<QTimer>> timers;
    return timers;
}

// Answers the next modal windows in order, one act each, as a user would.
inline void answerInOrder(std::vector<Act> acts) {
    if (acts.empty()) return;
    auto* timer = new QTimer;
    pendingAnswers().push_back(timer);
    QObject::connect(timer, &QTimer::timeout, [timer, acts]() mutable {
        QWidget* w = QApplication::activeModalWidget();
        if (!w || !w->isVisible()) return;
        timer->stop();
        timer->deleteLater();
        const Act first = acts.front();
        acts.erase(acts.begin());
        answerInOrder(acts);
        first(w);
    });
    timer->start(10);
}

// Forgets the answers no window asked for.
inline void stopAnswering() {
    for (const QPointer<QTimer>& t : pendingAnswers()) {
        if (t) t->deleteLater();
    }
    pendingAnswers().clear();
}

// The file dialog: choose `path`, or cancel when it is empty.
inline Act choose(const QString& path) {
    return [path](QWidget* w) {
        auto* d = qobject_cast<QFileDialog*>(w);
        ASSERT_NE(d, nullptr) << w->metaObject()->className();
        if (path.isEmpty()) {
            d->reject();
            return;
        }
        // As a user does: go to the folder, type the name, press the dialog's button.
        d->setDirectory(QFileInfo(path).absolutePath());
        d->findChild<QLineEdit*>("fileNameEdit")->setText(QFileInfo(path).fileName());
        static_cast<QDialog*>(d)->accept();
    };
}

// The error window: note its text, then OK (or Exit Program).
inline Act errorWindow(QString* text, bool exitProgram = false) {
    return [text, exitProgram](QWidget* w) {
        ASSERT_EQ(w->objectName(), "frmError");
        *text = w->findChild<QPlainTextEdit*>("boxError")->toPlainText();
        w->findChild<QPushButton*>(exitProgram ? "ErrExit" : "cmdOK")->click();
    };
}

inline std::string fileBytes(const QString& path) {
    std::ifstream in(path.toStdString(), std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

inline void writeFile(const QString& path, const std::string& bytes) {
    std::ofstream(path.toStdString(), std::ios::binary) << bytes;
}

inline void setWord(sim::SimSensor& s, int address, int value) {
    s.setCell(address, static_cast<std::uint8_t>(value >> 8));
    s.setCell(address + 1, static_cast<std::uint8_t>(value & 0xFF));
}

inline void setDescription(sim::SimSensor& s, const std::string& cp1252) {
    for (int i = 0; i < 32; ++i) {
        const auto k = static_cast<std::size_t>(i);
        s.setCell(46 + i, static_cast<std::uint8_t>(k < cp1252.size() ? cp1252[k] : ' '));
    }
}

class SetupWindowFixture : public MainWindowFixture {
protected:
    QString path(const char* name) const { return dir.filePath(name); }
    void go() {
        start();
        form->show();
        QApplication::setActiveWindow(form.get());
    }
    void save(const QString& file) {
        answerInOrder({choose(file)});
        form->saveSetup();
        stopAnswering();
    }
    // Recalls `file`; returns the error window's text, empty when none opened.
    QString recall(const QString& file) {
        QString error;
        answerInOrder({choose(file), errorWindow(&error)});
        form->recallSetupFile();
        stopAnswering();
        return error;
    }
};

}  // namespace k7::test
