#pragma once
#include <QChar>
#include <QList>
#include <QSet>
#include <QString>

class QMenu;
class QWidget;

// Underlined letters (Alt+letter) for the buttons and labelled fields of a window.
namespace veltor {

// The letter a text underlines, in lower case; a null QChar when it has none ("&&" is a plain
// ampersand).
QChar mnemonicOf(const QString &text);

// The text as it reads, as assistive technology speaks it: without the letter marker ("&&"
// stays an ampersand).
QString withoutMnemonic(const QString &text);

// The text with `letter` (the first occurrence, either case) marked as its underlined letter.
QString withMnemonic(const QString &text, QChar letter);

// Gives every button with a word in its caption and every label with a buddy among `widgets`
// an underlined letter that none of the others and none of `taken` uses; a text that already
// has one keeps it. Texts with fewer letters to choose from choose first, so short captions
// ("ИНН") are not left without one. Returns the letters in use afterwards.
QSet<QChar> assignMnemonics(const QList<QWidget *> &widgets, QSet<QChar> taken = {});

// The same for a whole window or panel, tab titles included: what is always in view gets letters
// of its own, and each tab page letters unique within the page and what is always in view.
QSet<QChar> assignWindowMnemonics(QWidget *root, QSet<QChar> taken = {});

// The items of `menu` and of its submenus, each unique within its own menu.
void assignMenuMnemonics(QMenu *menu);

// The buttons and the labels with buddies inside `root`, in creation order.
QList<QWidget *> mnemonicCandidates(const QWidget *root);

} // namespace veltor
