#include "app/Guard.h"

#include "app/Dialogs.h"

#include "storage/TableCommit.h"

#include <QString>
#include <new>

namespace veltor {

namespace {
std::function<void()> &rereadTables()
{
    static std::function<void()> reread;
    return reread;
}
} // namespace

void setRereadTables(std::function<void()> reread)
{
    rereadTables() = std::move(reread);
}

void showException(QWidget *parent, const std::exception_ptr &error)
{
    try {
        std::rethrow_exception(error);
    } catch (const TableChangedOnDisk &e) {
        if (!rereadTables()) {
            Dialogs::error(QString::fromUtf8(e.what()), parent);
            return;
        }
        if (Dialogs::question(QString::fromUtf8(e.what()) + QString::fromUtf8("\n\nПеречитать данные сейчас?"), parent))
            runGuarded(parent, rereadTables());
    } catch (const std::bad_alloc &) {
        Dialogs::error(QStringLiteral("Недостаточно памяти"), parent);
    } catch (const std::exception &e) {
        Dialogs::error(QString::fromUtf8(e.what()), parent);
    } catch (...) {
        Dialogs::error(QStringLiteral("Неизвестная ошибка"), parent);
    }
}

bool runGuarded(QWidget *parent, const std::function<void()> &fn)
{
    try {
        fn();
        return true;
    } catch (...) {
        showException(parent, std::current_exception());
        return false;
    }
}

} // namespace veltor
