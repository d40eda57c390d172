#pragma once
// Looking at a window as a user would: with K7_SCREENSHOTS=<folder> set, its image is saved
// there for a person to look at; either way it is laid out and checked for clipped captions.
#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QAbstractScrollArea>
#include <QApplication>
#include <QComboBox>
#include <QLabel>
#include <QMenuBar>
#include <QPixmap>
#include <QScreen>
#include <QWidget>
#include <map>

namespace k7::test {

inline void save(QWidget* w, const QString& name) {
    w->adjustSize();
    const QPixmap shot = w->grab();
    const QByteArray dir = qgetenv("K7_SCREENSHOTS");
    if (!dir.isEmpty()) shot.save(QString::fromUtf8(dir) + "/" + name + ".png");
}

// Every visible label and button is wide enough for its caption (a caption that wraps, tall
// enough for its lines), every list for its longest entry, and mnemonics work.
inline void expectNothingClipped(QWidget* root) {
    for (QLabel* l : root->findChildren<QLabel*>()) {
        if (!l->isVisibleTo(root) || l->text().isEmpty()) continue;
        if (l->wordWrap()) {
            EXPECT_GE(l->height(), l->heightForWidth(l->width())) << l->objectName().toStdString();
        } else {
            EXPECT_GE(l->width(), l->minimumSizeHint().width()) << l->objectName().toStdString();
        }
        // A mnemonic without a buddy would show its "&".
        if (l->text().contains('&')) {
            EXPECT_NE(l->buddy(), nullptr) << l->objectName().toStdString();
        }
    }
    for (QAbstractButton* b : root->findChildren<QAbstractButton*>()) {
        if (!b->isVisibleTo(root)) continue;
        EXPECT_GE(b->width(), b->minimumSizeHint().width()) << b->objectName().toStdString();
    }
    for (QComboBox* c : root->findChildren<QComboBox*>()) {
        if (!c->isVisibleTo(root)) continue;
        EXPECT_GE(c->width(), c->sizeHint().width()) << c->objectName().toStdString();
    }
}

// The letter a caption's "&" gives Alt (none for "&&" or no "&").
inline QChar mnemonicOf(const QString& text) {
    for (qsizetype i = 0; i + 1 < text.size(); ++i) {
        if (text[i] != '&') continue;
        if (text[i + 1] == '&') {
            ++i;
            continue;
        }
        return text[i + 1].toUpper();
    }
    return {};
}

// No two mnemonics of the window share a letter: menu titles, labels that focus a field and
// buttons, as far as they are shown now.
inline void expectDistinctMnemonics(QWidget* window) {
    std::map<QChar, QString> taken;
    auto add = [&](const QString& caption, const QString& who) {
        const QChar c = mnemonicOf(caption);
        if (c.isNull()) return;
        const auto [at, fresh] = taken.emplace(c, who);
        EXPECT_TRUE(fresh) << "Alt+" << QString(c).toStdString() << ": " << at->second.toStdString()
                           << " and " << who.toStdString() << " in "
                           << window->objectName().toStdString();
    };
    for (QMenuBar* bar : window->findChildren<QMenuBar*>()) {
        if (!bar->isVisibleTo(window)) continue;
        for (QAction* a : bar->actions()) {
            if (a->isVisible()) add(a->text(), "menu " + a->text());
        }
    }
    for (QLabel* l : window->findChildren<QLabel*>()) {
        if (l->isVisibleTo(window) && l->buddy()) add(l->text(), l->text());
    }
    for (QAbstractButton* b : window->findChildren<QAbstractButton*>()) {
        if (b->isVisibleTo(window)) add(b->text(), b->text());
    }
}

// Room a window manager takes around a window: borders and a title bar.
inline constexpr int kFrameWidth = 8;
inline constexpr int kFrameHeight = 40;

inline bool insideScrollArea(QWidget* w, QWidget* window) {
    for (QWidget* p = w->parentWidget(); p && p != window; p = p->parentWidget()) {
        if (qobject_cast<QAbstractScrollArea*>(p)) return true;
    }
    return false;
}

// The window, with a window manager's frame around it, fits the available area of its screen;
// its own buttons (those outside what scrolls) are in it whole, so they are always in view;
// nothing is clipped, and no two mnemonics share a letter.
inline void expectFitsScreen(QWidget* window) {
    QApplication::processEvents();  // the layouts settle
    const std::string name = window->objectName().toStdString();
    const QRect screen = window->screen()->availableGeometry();
    // The frame the platform puts around it, or room for a window manager's before it is shown.
    const QSize margins = window->frameGeometry().size() - window->size();
    const QSize frame = margins.isNull() ? QSize(kFrameWidth, kFrameHeight) : margins;
    EXPECT_LE(window->width() + frame.width(), screen.width()) << name;
    EXPECT_LE(window->height() + frame.height(), screen.height()) << name;
    EXPECT_TRUE(screen.contains(window->frameGeometry())) << name;
    for (QAbstractButton* b : window->findChildren<QAbstractButton*>()) {
        if (!b->isVisibleTo(window) || insideScrollArea(b, window) || b->window() != window) {
            continue;
        }
        const QRect r(b->mapTo(window, QPoint()), b->size());
        EXPECT_TRUE(window->rect().contains(r)) << name << ": " << b->text().toStdString();
    }
    expectNothingClipped(window);
    expectDistinctMnemonics(window);
}

// The window as shown on this screen, into K7_SCREENSHOTS, named after the screen's size.
inline void shoot(QWidget* w, const QString& name) {
    const QByteArray dir = qgetenv("K7_SCREENSHOTS");
    if (dir.isEmpty()) return;
    const QSize s = w->screen()->size();
    w->grab().save(QString("%1/%2-%3x%4.png")
                       .arg(QString::fromUtf8(dir), name)
                       .arg(s.width())
                       .arg(s.height()));
}

}  // namespace k7::test
