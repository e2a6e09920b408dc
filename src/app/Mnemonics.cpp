#include "app/Mnemonics.h"

#include <QAbstractButton>
#include <QAction>
#include <QMenu>
#include <QHash>
#include <QLabel>
#include <QStackedWidget>
#include <QTabBar>
#include <QTabWidget>
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

QString withoutMnemonic(const QString &text)
{
    QString plain;
    plain.reserve(text.size());
    for (int i = 0; i < text.size(); ++i) {
        if (text[i] == QLatin1Char('&') && ++i == text.size())
            break;
        plain += text[i];
    }
    return plain;
}

QString withMnemonic(const QString &text, QChar letter)
{
    for (int i = 0; i < text.size(); ++i)
        if (text[i].toLower() == letter)
            return text.left(i) + QLatin1Char('&') + text.mid(i);
    return text;
}

namespace {

// A text that may underline a letter: a button's or label's caption, or a tab's title.
struct Caption {
    std::function<QString()> text;
    std::function<void(const QString &)> setText;
};

Caption captionOf(QWidget *w)
{
    return {[w] { return textOf(w); }, [w](const QString &t) { setTextOf(w, t); }};
}

QSet<QChar> assignLetters(const QList<Caption> &captions, QSet<QChar> taken)
{
    struct Pending {
        Caption caption;
        QList<QChar> choices;
    };
    QList<Pending> pending;
    for (const Caption &caption : captions) {
        const QString text = caption.text();
        if (const QChar own = mnemonicOf(text); !own.isNull())
            taken.insert(own);
        else if (const QList<QChar> choices = choicesOf(text); !choices.isEmpty())
            pending.push_back({caption, choices});
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
        const Caption &caption = pending[it.value()].caption;
        caption.setText(withMnemonic(caption.text(), it.key()));
        taken.insert(it.key());
    }
    return taken;
}

// True when `w` lies on a page of a tab widget below `root`.
bool onPageBelow(const QWidget *w, const QWidget *root)
{
    for (const QWidget *p = w->parentWidget(); p && p != root; p = p->parentWidget())
        if (const auto *stack = qobject_cast<const QStackedWidget *>(p->parentWidget());
            stack && qobject_cast<const QTabWidget *>(stack->parentWidget()))
            return true;
    return false;
}

} // namespace

QSet<QChar> assignMnemonics(const QList<QWidget *> &widgets, QSet<QChar> taken)
{
    QList<Caption> captions;
    for (QWidget *w : widgets)
        captions.push_back(captionOf(w));
    return assignLetters(captions, std::move(taken));
}

void assignMenuMnemonics(QMenu *menu)
{
    QList<Caption> items;
    for (QAction *action : menu->actions()) {
        if (action->isSeparator())
            continue;
        items.push_back({[action] { return action->text(); }, [action](const QString &t) { action->setText(t); }});
        if (QMenu *sub = action->menu())
            assignMenuMnemonics(sub);
    }
    assignLetters(items, {});
}

QSet<QChar> assignWindowMnemonics(QWidget *root, QSet<QChar> taken)
{
    // What is always in view (the tab titles among it) first; then each page, whose letters
    // need differ only from those, since one page shows at a time.
    // A letter a page's text chose itself is not given to anything always in view.
    QList<Caption> always;
    QList<QTabWidget *> tabWidgets;
    QSet<QChar> chosenOnPages;
    for (QWidget *w : mnemonicCandidates(root)) {
        if (!onPageBelow(w, root))
            always.push_back(captionOf(w));
        else if (const QChar own = mnemonicOf(textOf(w)); !own.isNull())
            chosenOnPages.insert(own);
    }
    // Tab titles, a tab widget's or those of a tab bar of its own that switches what one set
    // of fields shows.
    for (QTabBar *bar : root->findChildren<QTabBar *>()) {
        if (onPageBelow(bar, root))
            continue;
        if (auto *pages = qobject_cast<QTabWidget *>(bar->parentWidget()))
            tabWidgets.push_back(pages);
        for (int i = 0; i < bar->count(); ++i)
            always.push_back({[bar, i] { return bar->tabText(i); },
                              [bar, i](const QString &t) { bar->setTabText(i, t); }});
    }
    taken = assignLetters(always, taken + chosenOnPages) - (chosenOnPages - taken);
    for (QTabWidget *pages : tabWidgets)
        for (int i = 0; i < pages->count(); ++i)
            assignWindowMnemonics(pages->widget(i), taken);
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
