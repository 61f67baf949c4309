#pragma once
// Generated benchmark inputs: source files from ../shared/tools/gen_asm.py, made once into the
// build directory and reused.
#include <string>

// Path of a generated 68HC11 source of about Mb MiB (deterministic for the same arguments).
std::string GeneratedSource(int mb);
