#pragma once
// The repeated test ("K7700 ID Tag Test"): every sensor on the line polled, then programmed,
// over and over, each step in the log, until the window closes. One sensor a tick of tmrTest.
#include <memory>
#include <optional>

#include "service/BenchWindow.h"
#include "service/RepeatedTest.h"
#include "status/StatusPoll.h"

class QListWidget;
class QPushButton;
class QTimer;

namespace k7 {

class RepeatedTestWindow : public BenchWindow {
    Q_OBJECT
public:
    RepeatedTestWindow(std::shared_ptr<FactoryHost> host, StatusPoll& poll, QWidget* mainWindow);

    void testNextSensor();
    void addMessage(const QString& line);

    QListWidget* lstMessages = nullptr;
    QPushButton* cmdExit = nullptr;
    QTimer* tmrTest = nullptr;

protected:
    void closing() override;

private:
    std::shared_ptr<FactoryHost> host_;
    RepeatedTest test_;
    std::optional<PollPause> pause_;
};

}  // namespace k7
