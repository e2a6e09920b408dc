#pragma once
#include <QAbstractButton>
#include <QKeySequence>
#include <QLabel>
#include <QList>
#include <QMap>
#include <QString>
#include <QStringList>
#include <QWidget>

namespace veltor::test {

// What is wrong with the underlined letters of `widgets` (buttons and labels with buddies) and
// of `otherTexts` (menu titles, tab titles) taken together: a text with a word in it that
// underlines none, and a letter two texts underline. Empty when all is well.
inline QStringList mnemonicFaults(const QList<QWidget *> &widgets, const QStringList &otherTexts = {})
{
    QStringList texts = otherTexts;
    for (QWidget *w : widgets) {
        if (const auto *b = qobject_cast<const QAbstractButton *>(w))
            texts << b->text();
        else if (const auto *l = qobject_cast<const QLabel *>(w); l && l->buddy())
            texts << l->text();
    }
    QStringList faults;
    QMap<QString, QString> owners;
    for (const QString &text : texts) {
        // Signs such as "...", "+", "->" and the one-letter "и" buttons underline nothing.
        bool letters = false;
        for (const QChar c : text)
            letters = letters || c.isLetter();
        if (!letters || text.trimmed().size() < 2)
            continue;
        const QString key = QKeySequence::mnemonic(text).toString().toLower();
        if (key.isEmpty())
            faults << QStringLiteral("no letter: ") + text;
        else if (owners.contains(key))
            faults << QStringLiteral("%1 twice: %2, %3").arg(key, owners[key], text);
        else
            owners[key] = text;
    }
    return faults;
}

} // namespace veltor::test
