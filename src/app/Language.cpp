#include "app/Language.h"

#include <QCoreApplication>
#include <QLibraryInfo>
#include <QLocale>
#include <QTranslator>

namespace veltor {
namespace {

// Texts Qt shows that its Russian translation lacks: the type column of the file dialogs read
// "Folder" beside Russian file types. Asked only after Qt's own translation.
class MissingQtTexts : public QTranslator {
public:
    using QTranslator::QTranslator;

    QString translate(const char *context, const char *source, const char *, int) const override
    {
        if (qstrcmp(context, "QAbstractFileIconProvider") != 0)
            return {};
        static const std::pair<const char *, const char *> texts[] = {
            {"Drive", "Диск"}, {"File", "Файл"}, {"Folder", "Папка"}, {"File Folder", "Папка"},
            {"Shortcut", "Ярлык"}, {"Alias", "Ярлык"}, {"Unknown", "Неизвестно"}};
        for (const auto &[english, russian] : texts)
            if (qstrcmp(source, english) == 0)
                return QString::fromUtf8(russian);
        return {};
    }

    bool isEmpty() const override { return false; }
};

} // namespace

bool useRussianInterface()
{
    const QLocale russian(QLocale::Russian, QLocale::Russia);
    QLocale::setDefault(russian);
    // Installed first, so asked last.
    QCoreApplication::installTranslator(new MissingQtTexts(QCoreApplication::instance()));
    auto *translator = new QTranslator(QCoreApplication::instance());
    if (!translator->load(russian, QStringLiteral("qtbase"), QStringLiteral("_"),
                          QLibraryInfo::path(QLibraryInfo::TranslationsPath))) {
        delete translator;
        return false;
    }
    QCoreApplication::installTranslator(translator);
    return true;
}

} // namespace veltor
