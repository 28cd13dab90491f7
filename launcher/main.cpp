#include "run.hpp"

int main(int argc, char** argv) {
  return vantrel::run(argc, argv, vantrel::host_platform(), argparse::standard_io());
}
