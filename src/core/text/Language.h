#pragma once

#include <QLocale>
#include <QString>

enum class UiLanguage { Chinese, English };

// English system language, or the key lang set to exactly 1.
bool WantsEnglish(QLocale::Language systemLanguage, int lang);

// Installs the translation catalogues of the interface language on the running application
// and returns the language in effect.
// English: EN.qm from programDir; when it is missing or unreadable the interface stays Chinese,
// without a message. Chinese: Qt's own qtbase_zh_CN catalogue, so that the standard buttons and
// dialogs (message boxes, file and print dialogs) speak Chinese too; without it they stay
// English, also without a message.
// The catalogues belong to the application object; a second call replaces those of the first.
UiLanguage InstallTranslators(bool english, const QString &programDir);
