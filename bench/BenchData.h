#pragma once
// Generated benchmark inputs: plausible 68HC11 sources made by the benchmark program itself,
// the same bytes on every run and every machine.
#include <cstdint>
#include <functional>
#include <string>
#include <string_view>

// Writes about Mb MiB of source in chunks to Sink: labels, instructions with operands in every
// number notation, directives, strings, comments with German umlauts (UTF-8), blank lines and
// tabs, LF line ends.
void GenerateSource(int mb, const std::function<void(std::string_view)>& sink, std::uint64_t seed = 1);

// Path of a generated source of about Mb MiB, written once per process into a temporary directory.
std::string GeneratedSource(int mb);

// The bytes of the same source, generated once per process.
const std::string& GeneratedText(int mb);
