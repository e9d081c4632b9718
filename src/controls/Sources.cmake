# Files of this room, relative to src/. Core files need QtCore/QtSerialPort only.
list(APPEND VELMORA_CORE_SOURCES
)
list(APPEND VELMORA_UI_SOURCES
    controls/DlgItem.h controls/DlgItem.cpp
    controls/ColorButton.h controls/ColorButton.cpp
    controls/LedDigitDisplay.h controls/LedDigitDisplay.cpp
    controls/StyledLabel.h controls/StyledLabel.cpp
    controls/StateImageButton.h controls/StateImageButton.cpp
    controls/HotTrackButton.h controls/HotTrackButton.cpp
)
