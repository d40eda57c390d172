#pragma once
// Looking at a window as a user would: with K7_SCREENSHOTS=<folder> set, its image is saved
// there for a person to look at; either way it is laid out and checked for clipped captions.
#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QComboBox>
#include <QLabel>
#include <QPixmap>
#include <QWidget>

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

}  // namespace k7::test
