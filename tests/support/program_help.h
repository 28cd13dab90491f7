/* The program's help listing, byte for byte, for C and C++ alike: the tests
   compare the program's output with it, and the benchmark's floor and peers
   print it. */

#ifndef VANTREL_PROGRAM_HELP_H
#define VANTREL_PROGRAM_HELP_H

static const char program_help_listing[] =
    "usage: vantrel [options]\n"
    "\n"
    "A tool to vantrel with specified settings\n"
    "\n"
    "Options:\n"
    "  -?, --help               show this help message\n"
    "  -v, --version            show version info\n"
    "  -a, --admin              run bat file as admin or not.\n"
    "  -l, --left               (int) set cmd window's left position.\n"
    "                           default is 0\n"
    "  -t, --top                (int) set cmd window's top position.\n"
    "                           default is 0\n"
    "  -r, --right              (int) set cmd window's right position.\n"
    "                           default is 40\n"
    "  -b, --bottom             (int) set cmd window's bottom position.\n"
    "                           default is 40\n"
    "  -w, --bufferx            (int) set cmd window's buffer size's x.\n"
    "                           default is 1024\n"
    "  -h, --buffery            (int) set cmd window's buffer size's y.\n"
    "                           default is 720\n";

#endif
