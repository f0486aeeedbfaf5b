#pragma once
// The device-layer table: the 16 operations and three hooks through which
// the port dispatcher reaches a device, copied into each port when it opens.
// The default table, installed at start-up, fails every operation with
// ecNullApi; the termios layer (SerTermiosLayer.h) is the working one.
// Every operation takes the device handle first and returns 0 (or a count)
// for success and a negative library code for failure.
#include <cstdint>
#include <functional>
#include <string>

namespace ser {

// Line settings record, the fields of the Windows DCB the library uses.
constexpr uint8_t NOPARITY = 0, ODDPARITY = 1, EVENPARITY = 2, MARKPARITY = 3, SPACEPARITY = 4;
constexpr uint8_t ONESTOPBIT = 0, ONE5STOPBITS = 1, TWOSTOPBITS = 2;
constexpr uint8_t DTR_CONTROL_DISABLE = 0, DTR_CONTROL_ENABLE = 1, DTR_CONTROL_HANDSHAKE = 2;
constexpr uint8_t RTS_CONTROL_DISABLE = 0, RTS_CONTROL_ENABLE = 1, RTS_CONTROL_HANDSHAKE = 2;

struct TDCB {
    uint32_t BaudRate = 19200;
    uint8_t ByteSize = 8;
    uint8_t Parity = NOPARITY;
    uint8_t StopBits = ONESTOPBIT;
    uint8_t fDtrControl = DTR_CONTROL_ENABLE;
    uint8_t fRtsControl = RTS_CONTROL_ENABLE;
    bool fOutxCtsFlow = false;
    bool fOutxDsrFlow = false;
    bool fOutX = false;
    bool fInX = false;
    uint16_t XonLim = 0;
    uint16_t XoffLim = 0;
    unsigned char XonChar = 17;
    unsigned char XoffChar = 19;
};

// Status of the last poll: characters in the driver's input queue and in
// the output queue (the dispatcher's own ring in front of the driver).
struct TComStat {
    uint32_t Flags = 0;
    uint32_t cbInQue = 0;
    uint32_t cbOutQue = 0;
};

// Line-error bits.
constexpr uint32_t CE_RXOVER = 1, CE_OVERRUN = 2, CE_RXPARITY = 4, CE_FRAME = 8, CE_BREAK = 16;
// Modem-line functions.
constexpr int SETRTS = 3, CLRRTS = 4, SETDTR = 5, CLRDTR = 6, SETBREAK = 8, CLRBREAK = 9;
// Flush queues.
constexpr int FLUSH_OUTPUT = 0, FLUSH_INPUT = 1;

struct TDeviceLayerTable {
    std::function<int(int Dev, const std::string& Definition, TDCB& DCB)> BuildDCB;
    std::function<int(int Dev)> ClearBreak;
    std::function<int(int Dev)> CloseDevice;
    std::function<int(int Dev, int Func)> EscapeFunction;
    std::function<int(int Dev, int Queue)> Flush;
    // Returns the line-error bits gathered since the last call.
    std::function<int(int Dev, TComStat& Stat)> Status;
    std::function<int(int Dev, uint16_t Mask)> GetEventMask;
    std::function<int(int Dev, TDCB& DCB)> GetLine;
    // No device handle first: returns the new handle.
    std::function<int(const std::string& Name, uint16_t InSize, uint16_t OutSize)> Open;
    std::function<int(int Dev, unsigned char* Buf, int Count)> Read;
    std::function<int(int Dev)> SetBreak;
    std::function<int(int Dev, uint16_t Mask)> SetEventMask;
    std::function<int(int Dev, const TDCB& DCB)> SetLine;
    std::function<int(int Dev, unsigned char C)> TransmitChar;
    std::function<int(int Dev, unsigned char C)> UngetChar;
    std::function<int(int Dev, const unsigned char* Buf, int Count)> Write;
    // Hooks.
    std::function<void(int Dev, uint16_t Options)> SetPortOptions;
    std::function<void(int Dev, bool Adopt)> RegisterHandle;
    std::function<bool(int Dev, uint16_t InSize, uint16_t OutSize)> SetBufferSizes;
};

// The table every operation of which fails with ecNullApi (setting the
// event mask succeeds; the hooks do nothing).
TDeviceLayerTable defaultDeviceLayer();
// The table ports opened from now on get.
void installDeviceLayer(const TDeviceLayerTable& Table);
void installDefaultDeviceLayer();
TDeviceLayerTable currentDeviceLayer();

}  // namespace ser
