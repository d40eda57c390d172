#pragma once
// Small widget makers the tool windows share.
#include <QFont>
#include <QLabel>
#include <QPushButton>
#include <QShortcut>

namespace k7 {

// A button that Enter in a field never presses: in the service windows a press sends to the sensor.
inline QPushButton* commandButton(QWidget* parent, const char* name, const QString& caption) {
    auto* b = new QPushButton(caption, parent);
    b->setObjectName(name);
    b->setAutoDefault(false);
    return b;
}

inline QLabel* boldLabel(const QString& text, QWidget* parent) {
    auto* l = new QLabel(text, parent);
    QFont f = l->font();
    f.setBold(true);
    l->setFont(f);
    return l;
}

// Esc closes a window that is no dialog (a dialog closes on Esc by itself).
inline void closeOnEscape(QWidget* window) {
    auto* esc = new QShortcut(QKeySequence(Qt::Key_Escape), window);
    QObject::connect(esc, &QShortcut::activated, window, &QWidget::close);
}

}  // namespace k7
