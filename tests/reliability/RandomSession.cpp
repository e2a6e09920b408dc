#include "RandomSession.h"

#include <QAbstractButton>
#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QDateEdit>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QPushButton>
#include <QToolButton>
#include <deque>
#include <random>

#include "Session.h"
#include "app/Dialogs.h"
#include "app/StringGrid.h"
#include "card/MainPage.h"
#include "listtools/ObrabPanel.h"
#include "listtools/SettingsPanel.h"
#include "listtools/SpravPanel.h"
#include "orders/OrderFormPanel.h"
#include "storage/FileNames.h"
#include "text/Cp1251.h"

namespace veltor::test {
namespace {

namespace fs = std::filesystem;

class Driver {
public:
    Driver(Session &s, uint64_t seed) : m_s(s), m_random(seed) {}

    SessionReport run(int actions)
    {
        Snapshot tables = m_s.tableFiles();
        for (int i = 1; i <= actions; ++i) {
            Dialogs::clearRecorded();
            for (int a = 0; a < 3; ++a)
                Dialogs::queueAnswer(chance(50));
            step();
            QApplication::processEvents();
            m_report.actions = i;
            m_report.messages += Dialogs::shownMessages().size();
            m_report.questions += Dialogs::askedQuestions().size();
            // Someone closed the main window: the user starts the program again.
            if (!m_s.form1->isVisible())
                m_s.form1->show();
            Snapshot now = m_s.tableFiles();
            if (now != tables) {
                ++m_report.writes;
                check(i, now);
                tables = std::move(now);
            }
            if (m_report.failures.size() >= 5)
                break;
        }
        return m_report;
    }

private:
    bool chance(int percent) { return std::uniform_int_distribution<int>(0, 99)(m_random) < percent; }
    int below(int n) { return n <= 0 ? 0 : std::uniform_int_distribution<int>(0, n - 1)(m_random); }
    template <typename T> T *pick(const QList<T *> &items) { return items.isEmpty() ? nullptr : items[below(items.size())]; }

    void note(const QString &what)
    {
        m_recent.push_back(what.toStdString());
        if (m_recent.size() > 12)
            m_recent.pop_front();
    }

    void check(int action, const Snapshot &now)
    {
        std::vector<std::string> problems = unreadableTables(m_s.run, now);
        try {
            for (const std::string &code : duplicateCodes(resolveFileName(m_s.run / "database", "osnova.dbf")))
                problems.push_back("employee code " + code + " occurs twice in osnova.dbf");
        } catch (const std::exception &e) {
            problems.push_back(std::string("osnova.dbf: ") + e.what());
        }
        if (problems.empty())
            return;
        std::string text = "after action " + std::to_string(action) + ":";
        for (const std::string &p : problems)
            text += "\n  " + p;
        text += "\n recent actions:";
        for (const std::string &r : m_recent)
            text += "\n  " + r;
        m_report.failures.push_back(text);
    }

    QList<QWidget *> openWindows() const
    {
        QList<QWidget *> windows{m_s.form1.get()};
        for (QWidget *w : {static_cast<QWidget *>(m_s.form2.get()), static_cast<QWidget *>(m_s.form3.get()),
                           static_cast<QWidget *>(m_s.form4.get())})
            if (w->isVisible())
                windows << w;
        return windows;
    }

    template <typename T> QList<T *> visible()
    {
        QList<T *> found;
        for (QWidget *w : openWindows())
            for (T *t : w->findChildren<T *>())
                if (t->isVisibleTo(w) && t->isEnabled())
                    found << t;
        return found;
    }

    QString randomText()
    {
        static const char *const samples[] = {
            "", "0", "1", "-5", "12а", "99999999999", "31.02.2006", "01.01.1900", "15.05.2015", "5.3.2024",
            "32.13.2000", "Иванов", "Петрова Анна Сергеевна", "  ", "a\"b'c;d", "\\{}", "ёЁ№", "7.5", "1e9",
            "x/../y", "~!@#$%^&*()"};
        if (chance(10))
            return QString(below(300), QChar(u'Ж'));
        return QString::fromUtf8(samples[below(std::size(samples))]);
    }

    QList<QAction *> mainActions()
    {
        QList<QAction *> actions;
        m_s.form1->N5Show();
        for (QAction *a : m_s.form1->menuBar()->findChildren<QAction *>()) {
            const QString name = a->objectName();
            // Exit and archive leave the test process: the archiver is an outside program.
            if (a->isSeparator() || a->menu() || name.isEmpty() || name == "N4" || name == "N2_5" || !a->isEnabled())
                continue;
            actions << a;
        }
        return actions;
    }

    QString plausibleText()
    {
        static const char *const samples[] = {"25000", "31000", "7", "15.05.2015", "01.09.2024", "Сидоров Пётр",
                                              "Новая Анна Петровна", "Склад", "123456789012"};
        return chance(70) ? QString::fromUtf8(samples[below(std::size(samples))]) : randomText();
    }

    void choose(QComboBox *c)
    {
        if (c->count() == 0)
            return;
        const int index = below(c->count());
        c->setCurrentIndex(index);
        emit c->activated(index);
    }

    void pickListRow()
    {
        TStringGrid &g = *m_s.form1->StringGrid1;
        g.setRow(1 + below(std::max(1, g.RowCount() - 1)));
    }

    void typeInto(QWidget *window, int times)
    {
        for (int i = 0; i < times; ++i) {
            QList<QLineEdit *> edits;
            for (QLineEdit *e : window->findChildren<QLineEdit *>())
                if (e->isVisibleTo(window) && e->isEnabled() && !e->isReadOnly())
                    edits << e;
            if (QLineEdit *e = pick(edits)) {
                const QString text = plausibleText();
                e->setText(text);
                emit e->textEdited(text);
            }
        }
    }

    // What a clerk does in one go: a card edited and saved, an employee added, an order, an
    // employee deleted, the settings, a reference list, a streaming entry, closing the program.
    void task()
    {
        TForm1 &w = *m_s.form1;
        switch (below(9)) {
        case 0:
        case 1:
            note("task: card edited and saved");
            pickListRow();
            w.N1_10->trigger();
            typeInto(m_s.form2.get(), 1 + below(3));
            (chance(80) ? m_s.form2->Button2 : m_s.form2->Button3)->click();
            break;
        case 2:
            note("task: new employee");
            w.N1_4->trigger();
            m_s.form2->OsnovnList->Edit1->setText(plausibleText());
            typeInto(m_s.form2.get(), below(3));
            (chance(70) ? m_s.form2->Button2 : m_s.form2->Button3)->click();
            break;
        case 3:
        case 4: {
            note("task: order");
            w.N6_1->trigger();
            TOrderFormPanel &f = *m_s.form4->DokumPanel;
            choose(f.DokumComboTipOper);
            choose(f.DokumComboSotr);
            f.DokumEdit1->setText(QString::number(1 + below(200)));
            f.DokumData->setDate(QDate(2020 + below(6), 1 + below(12), 1 + below(28)));
            f.DokumDataNach->setDate(QDate(2020 + below(6), 1 + below(12), 1 + below(28)));
            choose(f.DokumComboOtdel);
            choose(f.DokumComboDolzh);
            f.DokumEdit3->setText(plausibleText());
            typeInto(m_s.form4.get(), below(3));
            (chance(85) ? f.DokumButOK : f.DokumButOtmen)->click();
            break;
        }
        case 5:
            note("task: delete an employee");
            pickListRow();
            w.N1_9->trigger();
            break;
        case 6:
            note("task: settings");
            w.N2_1->trigger();
            if (chance(50))
                m_s.form3->PanelNastr->StringGrid2->model()->setData(
                    m_s.form3->PanelNastr->StringGrid2->model()->index(below(5), 1), plausibleText(), Qt::EditRole);
            m_s.form3->PanelNastr->Button4->click();
            break;
        case 7: {
            note("task: reference list");
            (chance(50) ? w.N2_3 : w.N2_4)->trigger();
            TSpravPanel &p = *m_s.form3->PanelSprav;
            if (chance(60))
                p.SpeedButton1->click();
            else if (chance(50))
                p.SpeedButton2->click();
            TStringGrid &g = *p.StringGrid1;
            if (g.RowCount() > g.FixedRows())
                g.model()->setData(g.model()->index(below(g.RowCount() - g.FixedRows()), 1), plausibleText(), Qt::EditRole);
            p.Button10->click();
            break;
        }
        default: {
            note("task: streaming entry");
            w.N1_8->trigger();
            TObrabPanel &o = *m_s.form3->PanelObrab;
            if (o.ComboBox4->count() == 0)
                break;
            o.ComboBox4Change(below(o.ComboBox4->count()));
            o.Button21->click();
            TStringGrid &g = *o.ValueList;
            if (g.RowCount() > g.FixedRows())
                g.model()->setData(g.model()->index(below(g.RowCount() - g.FixedRows()), g.ColCount() - 1),
                                   plausibleText(), Qt::EditRole);
            o.Button17->click();
            break;
        }
        }
    }

    void step()
    {
        const int kind = below(100);
        if (kind < 30) {
            task();
        } else if (kind < 42) {
            if (QAction *a = pick(mainActions())) {
                note("menu " + a->objectName() + " " + a->text());
                a->trigger();
            }
        } else if (kind < 50) {
            TStringGrid &g = *m_s.form1->StringGrid1;
            const int row = 1 + below(std::max(1, g.RowCount() - 1));
            note("list row " + QString::number(row));
            g.setRow(row);
            if (chance(25)) {
                note("list double click");
                emit g.dblClicked();
            }
        } else if (kind < 68) {
            if (QAbstractButton *b = pick(visible<QAbstractButton>())) {
                note("button " + b->objectName() + " " + b->text() + " in " + b->window()->windowTitle());
                b->click();
            }
        } else if (kind < 80) {
            if (QLineEdit *e = pick(visible<QLineEdit>())) {
                if (e->isReadOnly())
                    return;
                const QString text = randomText();
                note("type \"" + text.left(20) + "\" into " + e->objectName());
                e->setText(text);
                emit e->textEdited(text);
            }
        } else if (kind < 88) {
            if (QComboBox *c = pick(visible<QComboBox>())) {
                if (c->count() == 0)
                    return;
                const int index = below(c->count());
                note("choose " + QString::number(index) + " in " + c->objectName());
                c->setCurrentIndex(index);
                emit c->activated(index);
            }
        } else if (kind < 92) {
            if (QDateEdit *d = pick(visible<QDateEdit>())) {
                const QDate date(1900 + below(150), 1 + below(12), 1 + below(28));
                note("date " + date.toString("dd.MM.yyyy") + " in " + d->objectName());
                d->setDate(date);
            }
        } else {
            QList<TStringGrid *> grids = visible<TStringGrid>();
            grids.removeAll(m_s.form1->StringGrid1);
            if (TStringGrid *g = pick(grids)) {
                if (g->RowCount() <= g->FixedRows() || g->ColCount() <= 1)
                    return;
                const int col = below(g->ColCount()), row = g->FixedRows() + below(g->RowCount() - g->FixedRows());
                const QString text = randomText();
                note("cell " + QString::number(col) + "," + QString::number(row) + " of " + g->objectName() + " = \""
                     + text.left(20) + "\"");
                if (chance(50)) {
                    g->setRow(row);
                } else {
                    g->model()->setData(g->model()->index(row - g->FixedRows(), col), text, Qt::EditRole);
                }
                if (chance(15))
                    emit g->dblClicked();
            }
        }
    }

    Session &m_s;
    std::mt19937_64 m_random;
    SessionReport m_report;
    std::deque<std::string> m_recent;
};

} // namespace

SessionReport runRandomSession(Session &session, uint64_t seed, int actions)
{
    return Driver(session, seed).run(actions);
}

} // namespace veltor::test
