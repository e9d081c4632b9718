#include "core/text/Language.h"

#include <QCoreApplication>
#include <QLibraryInfo>
#include <QTranslator>

using namespace Qt::StringLiterals;

namespace {

constexpr auto kTranslatorName = "velmoraTranslator"_L1;

// Installs the catalogue `file` from `folder`; false, and nothing installed, when it cannot be
// loaded.
bool Install(QCoreApplication &app, const QString &file, const QString &folder)
{
    auto *translator = new QTranslator(&app);
    translator->setObjectName(kTranslatorName);
    if (!translator->load(file, folder) || !QCoreApplication::installTranslator(translator)) {
        delete translator;
        return false;
    }
    return true;
}

} // namespace

bool WantsEnglish(QLocale::Language systemLanguage, int lang)
{
    return systemLanguage == QLocale::English || lang == 1;
}

UiLanguage InstallTranslators(bool english, const QString &programDir)
{
    QCoreApplication *const app = QCoreApplication::instance();
    if (!app) {
        return UiLanguage::Chinese;
    }
    // A deleted translator removes itself from the application.
    const auto previous =
        app->findChildren<QTranslator *>(kTranslatorName, Qt::FindDirectChildrenOnly);
    qDeleteAll(previous);

    if (english && Install(*app, u"EN"_s, programDir)) {
        return UiLanguage::English;
    }
    Install(*app, u"qtbase_zh_CN"_s, QLibraryInfo::path(QLibraryInfo::TranslationsPath));
    return UiLanguage::Chinese;
}
