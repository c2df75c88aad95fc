// The card reader as the run frame sees it: its ports, whether it has been
// closed, and the one way to close it.
#pragma once

#include <cstdint>

// What the frame needs of the card library: opening and closing the reader's
// port. The card library is one.
struct ReaderPort {
  virtual ~ReaderPort() = default;
  virtual int16_t csOpenCom(int port) = 0;
  virtual int16_t csCloseCom() = 0;
};

// The reader: its ports and whether it has been closed. Every close goes
// through close(), so that the common exit closes it once only.
struct Reader {
  explicit Reader(ReaderPort& p) : port(p) {}
  ReaderPort& port;
  int16_t openPort = 0;  // the reader's COM port (1-4); the library is given openPort - 1
  int16_t comPort = 0;   // a second reader's port from "/COM1/".."/COM4/"; 0 when none
  bool closed = false;

  // Opens openPort; the reader counts as open again when that worked.
  int16_t open() {
    const int16_t code = port.csOpenCom(openPort - 1);
    if (code == 0) closed = false;
    return code;
  }
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
