#include "app/Mnemonics.h"

#include <QAbstractButton>
#include <QLabel>
#include <QHash>
#include <QWidget>
#include <algorithm>
#include <functional>

namespace veltor {
namespace {

QString textOf(const QWidget *w)
{
    if (const auto *b = qobject_cast<const QAbstractButton *>(w))
        return b->text();
    if (const auto *l = qobject_cast<const QLabel *>(w))
        return l->text();
    return {};
}

void setTextOf(QWidget *w, const QString &text)
{
    if (auto *b = qobject_cast<QAbstractButton *>(w))
        b->setText(text);
    else if (auto *l = qobject_cast<QLabel *>(w))
        l->setText(text);
}

// Hard and soft signs begin no word and read badly underlined.
bool underlinable(QChar c)
{
    const QChar lower = c.toLower();
    return c.isLetter() && lower != QChar(0x044A) && lower != QChar(0x044C);
}

// The letters a text may underline, best first: the first letters of its words, then the rest.
QList<QChar> choicesOf(const QString &text)
{
    // A caption of one character is a sign like the small "+", "-" and "и" buttons beside a
    // list, named in full for assistive technology; it underlines nothing.
    if (text.trimmed().size() < 2)
        return {};
    QList<QChar> firsts, rest;
    for (int i = 0; i < text.size(); ++i) {
        if (!underlinable(text[i]))
            continue;
        const QChar c = text[i].toLower();
        const bool wordStart = i == 0 || !text[i - 1].isLetterOrNumber();
        QList<QChar> &into = wordStart ? firsts : rest;
        if (!firsts.contains(c) && !rest.contains(c))
            into.push_back(c);
    }
    return firsts + rest;
}

} // namespace

QChar mnemonicOf(const QString &text)
{
    for (int i = 0; i + 1 < text.size(); ++i) {
        if (text[i] != QLatin1Char('&'))
            continue;
        if (text[i + 1] == QLatin1Char('&')) {
            ++i;
            continue;
        }
        return text[i + 1].toLower();
    }
    return {};
}

QString withMnemonic(const QString &text, QChar letter)
{
    for (int i = 0; i < text.size(); ++i)
        if (text[i].toLower() == letter)
            return text.left(i) + QLatin1Char('&') + text.mid(i);
    return text;
}

QSet<QChar> assignMnemonics(const QList<QWidget *> &widgets, QSet<QChar> taken)
{
    struct Pending {
        QWidget *widget;
        QList<QChar> choices;
    };
    QList<Pending> pending;
    for (QWidget *w : widgets) {
        const QString text = textOf(w);
        if (const QChar own = mnemonicOf(text); !own.isNull())
            taken.insert(own);
        else if (const QList<QChar> choices = choicesOf(text); !choices.isEmpty())
            pending.push_back({w, choices});
    }
    // A matching of texts to letters, each text in the order of its choices: a text whose
    // letters are all taken makes another text move to its next free letter where it can.
    std::stable_sort(pending.begin(), pending.end(),
                     [](const Pending &a, const Pending &b) { return a.choices.size() < b.choices.size(); });
    QHash<QChar, qsizetype> owner; // letter -> index in pending
    std::function<bool(qsizetype, QSet<QChar> &)> place = [&](qsizetype i, QSet<QChar> &visited) {
        for (const QChar c : pending[i].choices) {
            if (taken.contains(c) || visited.contains(c))
                continue;
            visited.insert(c);
            if (!owner.contains(c) || place(owner[c], visited)) {
                owner[c] = i;
                return true;
            }
        }
        return false;
    };
    for (qsizetype i = 0; i < pending.size(); ++i) {
        QSet<QChar> visited;
        place(i, visited);
    }
    for (auto it = owner.cbegin(); it != owner.cend(); ++it) {
        QWidget *w = pending[it.value()].widget;
        setTextOf(w, withMnemonic(textOf(w), it.key()));
        taken.insert(it.key());
    }
    return taken;
}

QList<QWidget *> mnemonicCandidates(const QWidget *root)
{
    QList<QWidget *> found;
    for (QWidget *w : root->findChildren<QWidget *>()) {
        if (qobject_cast<QAbstractButton *>(w))
            found.push_back(w);
        else if (auto *l = qobject_cast<QLabel *>(w); l && l->buddy())
            found.push_back(w);
    }
    return found;
}

} // namespace veltor
