#include "printing/AfterFilling.h"

#include <QSettings>

namespace veltor {

namespace {

const char *const Key = "printing/afterFilling";

QSettings settings()
{
    return QSettings(QSettings::UserScope, QStringLiteral("veltor"), QStringLiteral("veltor"));
}

} // namespace

AfterFilling afterFilling()
{
    const QString value = settings().value(QLatin1String(Key)).toString();
    if (value == QLatin1String("preview"))
        return AfterFilling::ShowPreview;
    if (value == QLatin1String("pdf"))
        return AfterFilling::SavePdf;
    return AfterFilling::OpenInEditor;
}

void setAfterFilling(AfterFilling choice)
{
    const char *value = choice == AfterFilling::ShowPreview ? "preview"
                        : choice == AfterFilling::SavePdf   ? "pdf"
                                                            : "editor";
    settings().setValue(QLatin1String(Key), QLatin1String(value));
}

} // namespace veltor
