# Files of this room, relative to src/. Core files need QtCore/QtSerialPort only.
list(APPEND VELMORA_CORE_SOURCES
    app/Gb18030.h app/Gb18030.cpp
    app/ProfileFile.h app/ProfileFile.cpp
    app/SettingsKeys.h
    app/StringTable.h app/StringTable.cpp
    app/Language.h app/Language.cpp
    app/SettingsLocation.h app/SettingsLocation.cpp
)
list(APPEND VELMORA_UI_SOURCES
    app/DialogTemplate.h ../res/dialogs/DialogTemplates.cpp
    app/DialogBuilder.h app/DialogBuilder.cpp
    app/TemplateDialog.h app/TemplateDialog.cpp
    app/CAboutDlg.h app/CAboutDlg.cpp
    app/CLoginDlg.h app/CLoginDlg.cpp
    app/CVelmoraApp.h app/CVelmoraApp.cpp
)
