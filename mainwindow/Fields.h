#pragma once
// Entry fields of the main screen with the key behaviour the sensor settings need.
#include <QLineEdit>

#include "settings/Validation.h"

namespace k7 {

// A numeric field: keys pass through the field's key filter; rejected keys beep; Enter in a
// distance field commits it.
class FilteredField : public QLineEdit {
    Q_OBJECT
public:
    FilteredField(KeyFilter filter, QWidget* parent = nullptr)
        : QLineEdit(parent), filter_(filter) {}

signals:
    void commitRequested();
    void focusEntered();
    void focusLeft(Qt::FocusReason reason);

protected:
    void keyPressEvent(QKeyEvent* e) override;
    void focusInEvent(QFocusEvent* e) override;
    void focusOutEvent(QFocusEvent* e) override;

private:
    KeyFilter filter_;
};

// A toggle field: shows "ON" or "OFF"; a click, Enter or Space flips it; every other key is
// swallowed so the text cannot be typed.
class ToggleField : public QLineEdit {
    Q_OBJECT
public:
    explicit ToggleField(QWidget* parent = nullptr);
    void flip();

protected:
    void keyPressEvent(QKeyEvent* e) override;
    void mousePressEvent(QMouseEvent* e) override;
    void mouseDoubleClickEvent(QMouseEvent* e) override { mousePressEvent(e); }
    void contextMenuEvent(QContextMenuEvent*) override {}
};

}  // namespace k7
