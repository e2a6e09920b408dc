#pragma once
#include <QString>
#include <QTest>

// Keys as a person presses them: each goes where the keyboard is now (an open popup list, else
// the focused field of the active window), not to a widget the test names.
namespace veltor::test {

inline void pressKey(Qt::Key key, Qt::KeyboardModifiers modifiers = Qt::NoModifier)
{
    QTest::sendKeyEvent(QTest::Click, static_cast<QWidget *>(nullptr), key, QString(), modifiers);
}

// Alt and a letter of any alphabet (QTest's own helpers know only Latin-1 letters).
inline void pressAlt(QChar letter)
{
    QTest::sendKeyEvent(QTest::Click, static_cast<QWidget *>(nullptr), Qt::Key(letter.toUpper().unicode()),
                        QString(letter), Qt::AltModifier);
}

// Types the text one key at a time.
inline void typeText(const QString &text)
{
    for (const QChar c : text)
        QTest::sendKeyEvent(QTest::Click, static_cast<QWidget *>(nullptr), Qt::Key(c.toUpper().unicode()),
                            QString(c), Qt::NoModifier);
}

} // namespace veltor::test
