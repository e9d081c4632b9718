# Files of this room, relative to src/. Core files need QtCore/QtSerialPort only.
list(APPEND VELMORA_CORE_SOURCES
    app/Gb18030.h app/Gb18030.cpp
    app/ProfileFile.h app/ProfileFile.cpp
    app/SettingsKeys.h
    app/StringTable.h app/StringTable.cpp
)
list(APPEND VELMORA_UI_SOURCES
)
