// The program's nine options through CLI11, used as its documentation shows:
// the same names, defaults, help texts and version, and the same end for an
// accepted line ("resize failed", status -1) as vantrel has off Windows.
// The help listing is CLI11's own layout.

#include <CLI/CLI.hpp>

#include "texts.h"

int main(int argc, char** argv) {
  CLI::App app{"A tool to vantrel with specified settings", "vantrel"};
  app.set_help_flag("-?,--help", "show this help message");
  app.set_version_flag("-v,--version", vantrel_version, "show version info");
  run_values values = default_run_values;
  bool admin = false;
  app.add_flag("-a,--admin", admin, "run bat file as admin or not.");
  app.add_option("-l,--left", values.left, "set cmd window's left position.\ndefault is 0");
  app.add_option("-t,--top", values.top, "set cmd window's top position.\ndefault is 0");
  app.add_option("-r,--right", values.right, "set cmd window's right position.\ndefault is 40");
  app.add_option("-b,--bottom", values.bottom, "set cmd window's bottom position.\ndefault is 40");
  app.add_option("-w,--bufferx", values.bufferx,
                 "set cmd window's buffer size's x.\ndefault is 1024");
  app.add_option("-h,--buffery", values.buffery,
                 "set cmd window's buffer size's y.\ndefault is 720");
  CLI11_PARSE(app, argc, argv);

  values.admin = admin ? 1 : 0;
  return fail_to_size_console(&values);
}
