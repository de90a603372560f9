#include "shell/Application.h"

int main(int argc, char** argv) { return kroyna::shell::runApplication(argc, argv, KROYNA_VERSION); }
