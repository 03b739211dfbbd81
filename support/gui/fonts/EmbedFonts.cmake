# Writes OUTPUT, a C++ source that defines VGui::EmbeddedFont with the bytes of the TrueType files
# REGULAR and BOLD. Run as `cmake -DREGULAR=... -DBOLD=... -DOUTPUT=... -P EmbedFonts.cmake`.
# The bytes go into string literals of \xHH escapes: GCC compiles a 700 KB literal in a fraction of
# a second, where the same bytes as an initializer list of integers take many seconds and much
# memory.
cmake_minimum_required(VERSION 3.20)

foreach(variable REGULAR BOLD OUTPUT)
  if(NOT ${variable})
    message(FATAL_ERROR "EmbedFonts.cmake needs -D${variable}=...")
  endif()
endforeach()

function(tavo_font_literal file out)
  if(NOT EXISTS ${file})
    message(FATAL_ERROR "Font ${file} not found (install fonts-dejavu-core)")
  endif()
  file(READ ${file} hex HEX)
  # 16 bytes of the file per source line.
  string(REGEX REPLACE "([0-9a-f][0-9a-f][0-9a-f][0-9a-f][0-9a-f][0-9a-f][0-9a-f][0-9a-f][0-9a-f][0-9a-f][0-9a-f][0-9a-f][0-9a-f][0-9a-f][0-9a-f][0-9a-f][0-9a-f][0-9a-f][0-9a-f][0-9a-f][0-9a-f][0-9a-f][0-9a-f][0-9a-f][0-9a-f][0-9a-f][0-9a-f][0-9a-f][0-9a-f][0-9a-f][0-9a-f][0-9a-f])"
         "\\1\n" hex "${hex}")
  string(REGEX REPLACE "([0-9a-f][0-9a-f])" "\\\\x\\1" hex "${hex}")
  string(REPLACE "\n" "\"\n    \"" hex "${hex}")
  set(${out} "    \"${hex}\"" PARENT_SCOPE)
endfunction()

tavo_font_literal(${REGULAR} regular)
tavo_font_literal(${BOLD} bold)
file(SIZE ${REGULAR} regularSize)
file(SIZE ${BOLD} boldSize)

set(text "// Generated at build time by support/gui/fonts/EmbedFonts.cmake from
// ${REGULAR} and ${BOLD}. Do not edit.
#include \"support/gui/fonts/EmbeddedFont.h\"

namespace VGui {
namespace {

constexpr char kRegular[] =
${regular};
constexpr char kBold[] =
${bold};
static_assert(sizeof(kRegular) == ${regularSize} + 1 && sizeof(kBold) == ${boldSize} + 1);

}  // namespace

std::span<const uint8_t> EmbeddedFont(bool bold) {
  const char* bytes = bold ? kBold : kRegular;
  const size_t size = bold ? sizeof(kBold) - 1 : sizeof(kRegular) - 1;
  return {reinterpret_cast<const uint8_t*>(bytes), size};
}

}  // namespace VGui
")
# Only a changed file is rewritten, so that an unchanged font does not rebuild the library.
set(temporary ${OUTPUT}.new)
file(WRITE ${temporary} "${text}")
file(COPY_FILE ${temporary} ${OUTPUT} ONLY_IF_DIFFERENT)
file(REMOVE ${temporary})
