#include "support/MainWindowFixture.h"

#include <QTest>

namespace k7::test {

void MainWindowFixture::type(QLineEdit* e, const QString& s) {
    form->show();
    QApplication::setActiveWindow(form.get());
    e->setFocus(Qt::MouseFocusReason);
    e->selectAll();
    QTest::keyClicks(e, s);
}

void MainWindowFixture::leave(QWidget* e) {
    // Tab on to a field without a check of its own; the focus-leaving handlers run.
    QWidget* next = e == form->UserDescription ? static_cast<QWidget*>(form->TargLL)
                                               : static_cast<QWidget*>(form->UserDescription);
    next->setFocus(Qt::TabFocusReason);
    QApplication::processEvents();
}

}  // namespace k7::test
