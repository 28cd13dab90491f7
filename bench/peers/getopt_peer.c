/* The program's nine options through glibc's getopt_long: the same names,
   defaults and version, and the same end for an accepted line ("resize
   failed", status -1) as vantrel has off Windows. getopt_long has no help
   layout of its own, so the listing is vantrel's, written out whole. */

#include <getopt.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>

#include "texts.h"

int main(int argc, char** argv) {
  static const struct option long_options[] = {
      {"help", no_argument, NULL, 'H'},          {"version", no_argument, NULL, 'v'},
      {"admin", no_argument, NULL, 'a'},         {"left", required_argument, NULL, 'l'},
      {"top", required_argument, NULL, 't'},     {"right", required_argument, NULL, 'r'},
      {"bottom", required_argument, NULL, 'b'},  {"bufferx", required_argument, NULL, 'w'},
      {"buffery", required_argument, NULL, 'h'}, {NULL, 0, NULL, 0}};
  struct run_values values = default_run_values;
  /* A leading ':' keeps getopt_long quiet and makes '?' mean only -?. */
  int option;
  while ((option = getopt_long(argc, argv, ":?val:t:r:b:w:h:", long_options, NULL)) != -1) {
    switch (option) {
      case '?':
        /* '?' is both -? and getopt_long's answer to an unknown option. */
        if (optopt != 0 || strncmp(argv[optind - 1], "--", 2) == 0) {
          fprintf(stderr, "unrecognized option %s\n", argv[optind - 1]);
          return -1;
        }
        /* fall through */
      case 'H':
        fputs(program_help_listing, stdout);
        return 0;
      case 'v':
        puts(vantrel_version);
        return 0;
      case 'a':
        values.admin = 1;
        break;
      case 'l':
        values.left = atoi(optarg);
        break;
      case 't':
        values.top = atoi(optarg);
        break;
      case 'r':
        values.right = atoi(optarg);
        break;
      case 'b':
        values.bottom = atoi(optarg);
        break;
      case 'w':
        values.bufferx = atoi(optarg);
        break;
      case 'h':
        values.buffery = atoi(optarg);
        break;
      default:
        fprintf(stderr, "option %s should have value\n", argv[optind - 1]);
        return -1;
    }
  }
  return fail_to_size_console(&values);
}
