#include "mainwindow/Fields.h"

#include <QApplication>
#include <QFocusEvent>
#include <QKeyEvent>

#include "settings/Lists.h"

namespace k7 {

void FilteredField::keyPressEvent(QKeyEvent* e) {
    int key = 0;
    if (e->key() == Qt::Key_Backspace) {
        key = 8;
    } else if (e->key() == Qt::Key_Return || e->key() == Qt::Key_Enter) {
        key = 13;
    } else if (!e->text().isEmpty() && e->text().at(0).isPrint() &&
               !(e->modifiers() & (Qt::ControlModifier | Qt::AltModifier))) {
        key = e->text().at(0).unicode();
    }
    if (key == 0 || filter_ == KeyFilter::None) {
        QLineEdit::keyPressEvent(e);  // navigation, Delete, paste and the unfiltered fields
        return;
    }
    const int selStart = hasSelectedText() ? selectionStart() : cursorPosition();
    const int selLength = hasSelectedText() ? static_cast<int>(selectedText().size()) : 0;
    // One byte per character, so the selection positions line up with the text.
    std::string ascii;
    for (QChar c : text()) ascii += c.unicode() < 128 ? static_cast<char>(c.unicode()) : '?';
    const KeyDecision d = filterKey(filter_, key, ascii, selStart, selLength);
    if (d.commit) emit commitRequested();
    if (d.beep) QApplication::beep();
    if (d.accept) {
        QLineEdit::keyPressEvent(e);
    } else {
        e->accept();
    }
}

void FilteredField::focusInEvent(QFocusEvent* e) {
    QLineEdit::focusInEvent(e);
    emit focusEntered();
}

void FilteredField::focusOutEvent(QFocusEvent* e) {
    QLineEdit::focusOutEvent(e);
    emit focusLeft(e->reason());
}

ToggleField::ToggleField(QWidget* parent) : QLineEdit(parent) {
    setAlignment(Qt::AlignCenter);
    setMaximumWidth(56);
    setCursor(Qt::PointingHandCursor);
}

void ToggleField::flip() {
    setText(text() == kOn ? kOff : kOn);
}

void ToggleField::keyPressEvent(QKeyEvent* e) {
    const int k = e->key();
    if (k == Qt::Key_Return || k == Qt::Key_Enter || k == Qt::Key_Space) {
        flip();
        e->accept();
        return;
    }
    if (k == Qt::Key_Tab || k == Qt::Key_Backtab) {
        QLineEdit::keyPressEvent(e);  // keep keyboard navigation
        return;
    }
    e->accept();
}

void ToggleField::mousePressEvent(QMouseEvent* e) {
    setFocus(Qt::MouseFocusReason);
    flip();
    e->accept();
}

}  // namespace k7
