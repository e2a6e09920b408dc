#pragma once
#include <QPushButton>
#include <QString>
#include <QToolButton>

// Buttons of the tools dialog's panels. Push buttons never take Enter for themselves (the panels
// decide what Enter does); tool buttons are named and reachable with Tab like any other control.
namespace veltor {

// `accessible` names a button whose caption says too little ("...").
inline QPushButton *panelButton(QWidget *parent, const char *name, const char *text,
                                const char *accessible = nullptr)
{
    auto *b = new QPushButton(QString::fromUtf8(text), parent);
    b->setObjectName(name);
    b->setAutoDefault(false);
    if (accessible)
        b->setAccessibleName(QString::fromUtf8(accessible));
    return b;
}

inline QToolButton *panelToolButton(QWidget *parent, const char *name, const char *text)
{
    auto *b = new QToolButton(parent);
    b->setObjectName(name);
    b->setText(QString::fromUtf8(text));
    b->setAccessibleName(QString::fromUtf8(text));
    b->setToolTip(QString::fromUtf8(text));
    b->setFocusPolicy(Qt::StrongFocus);
    return b;
}

} // namespace veltor
