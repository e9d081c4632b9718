# Files of this room, relative to src/. Core files need QtCore/QtSerialPort only.
list(APPEND VELMORA_CORE_SOURCES
    link/FrameScanner.h link/FrameScanner.cpp
    link/Frame.h link/Frame.cpp
    link/RxBuffer.h
    link/RxRoom.h link/RxRoom.cpp
    link/PortName.h link/PortName.cpp
    link/CSerialPort.h link/CSerialPort.cpp
)
list(APPEND VELMORA_UI_SOURCES
)
