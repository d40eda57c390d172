#pragma once
// Progress window shown while the line is searched and while settings are read or programmed.
#include <QDialog>

class QLabel;
class QProgressBar;
class QPushButton;

namespace k7 {

class ProgressWindow : public QDialog {
    Q_OBJECT
public:
    explicit ProgressWindow(QWidget* parent = nullptr);

    // searching: the search shows "&Select New Comm Port"; reading and programming hide it.
    // A new caption clears the note.
    void prepare(const QString& caption, bool searching);
    void setPercent(int percent);
    int percent() const;
    // The caption alone (a step inside a read or a write, such as a restart).
    void setCaption(const QString& caption);
    QString caption() const;
    // A note under the bar (the search found nothing yet); empty hides it.
    void setNote(const QString& text);
    // Centred on the screen, never at a negative position.
    void placeAtCentre();
    bool newPortRequested() const { return newPortRequested_; }

signals:
    void exitRequested();

protected:
    void showEvent(QShowEvent* e) override;
    void closeEvent(QCloseEvent* e) override;
    void reject() override {}

private:
    QLabel* Label1_;
    QLabel* lblNote_;
    QProgressBar* Gauge1_;
    QPushButton* btnHelp_;
    QPushButton* SelNewComm_;
    QPushButton* exitProg_;
    bool newPortRequested_ = false;
    bool searching_ = false;  // Exit asks first while a read or write runs
};

}  // namespace k7
