// A screen with nobody at it: shows nothing, waits for nothing, answers every
// message box with its default button. The base of the tests' screens and
// the benchmarks' only screen.
#pragma once

#include <string>
#include <vector>

#include "platform/screen.h"

struct NullScreen : Screen {
  bool waits() const override { return false; }
  void showWaiting(const std::string&) override {}
  void hideWaiting() override {}
  void closeWaiting() override {}
  void setWaitingColour(Colour) override {}
  void showMessage(const std::string&) override {}
  void showRed(const std::string&, int) override {}
  void hideMessage() override {}
  Answer msgBox(const std::string&, const std::string&, Buttons, Icon, Answer d) override {
    return d;
  }
  void delay(double, const std::string&) override {}
  void caption(const std::string&, const std::string&) override {}
  void listClear() override {}
  void listAdd(const std::string&) override {}
  void show(const std::string&) override {}
  void hideMain() override {}
  void placeMain(int, int, int, int) override {}
  bool shellOpen(const std::string&, const std::string&) override { return true; }
  std::vector<UiEvent> pump() override { return {}; }
  bool windowOpen(const std::string&) override { return false; }
  void exit(int) override {}
};
