// The card reader as the run frame sees it: its ports, whether it is open, and
// the one way to open and to close it.
#pragma once

#include <cstdint>

// What the frame needs of the card library: opening and closing the reader's
// port. The card library is one.
struct ReaderPort {
  virtual ~ReaderPort() = default;
  virtual int16_t csOpenCom(int port) = 0;
  virtual int16_t csCloseCom() = 0;
};

// The reader: its ports and whether it has been closed. Every open and every
// close of the run goes through here, so that `closed` always says what the
// library's port is, and the common exit closes a reader left open once only.
// At the start nothing is known of the port (an earlier run may have left it
// open), so it counts as open until the first close.
struct Reader {
  explicit Reader(ReaderPort& p) : port(p) {}
  ReaderPort& port;
  int16_t openPort = 0;  // the reader's COM port (1-4); the library is given openPort - 1
  int16_t comPort = 0;   // a second reader's port from "/COM1/".."/COM4/"; 0 when none
  bool closed = false;

  // Opens COM port `com` (1-4); the reader counts as open when that worked.
  // The library keeps one port: a caller closes the one open first.
  int16_t open(int16_t com) {
    const int16_t code = port.csOpenCom(com - 1);
    if (code == 0) closed = false;
    return code;
  }
  // Opens the reader's own port, openPort.
  int16_t open() { return open(openPort); }
  // Closes the reader now, whatever it was; the library's answer.
  int16_t close() {
    closed = true;
    return port.csCloseCom();
  }
  // Closes it unless that has been done.
  void closeOnce() {
    if (!closed) close();
  }
};
