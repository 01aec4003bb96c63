# Generates the text tables of every enumeration of the SDK's public headers.
#
#   cmake -DHEADER_LIST=<file> -DINCLUDE_DIR=<dir> -DOUTPUT=<source> -DCHECKS=<header> -P enum_texts.cmake
#
# HEADER_LIST names the public headers, one path a line (sdk/CMakeLists.txt
# writes it from LYSDK_PUBLIC_HEADERS). For each named enumeration E found in
# them the generated source defines LyEnumTexts(E*) and LyEnumValues(E*):
#   - values 0 to n-1 (allowing gaps, as long as the largest value is below
#     twice the count): the texts at the index of their value, "#<n>" where
#     no enumerator has the value, then a null entry; LyEnumValues is null;
#   - any other values (flags): the texts in declaration order, then a null
#     entry, and LyEnumValues the values in the same order.
# An enumerator with the value of an earlier one adds no text (the first name
# stays the text of that value).
#
# The build fails when an enumeration has no LYSDK_ENUM_TEXTS declaration
# (or the LYSDK_ENUM_HOST_TEXTS mark of an enumeration whose texts come from
# the host), when a declaration names no enumeration, when a header of the
# include directory is missing from the list, or when a value cannot be
# worked out. CHECKS receives one line per enumerator with a text, for the
# tests: LYSDK_ENUM_CHECK(E, enumerator, "text").

cmake_minimum_required(VERSION 3.25)

file(STRINGS "${HEADER_LIST}" headers)

# Every header of the directory must be listed, or its enumerations would go
# without tables unnoticed.
file(GLOB present RELATIVE "${INCLUDE_DIR}" "${INCLUDE_DIR}/lysdk/*.h")
foreach(h IN LISTS present)
  set(found FALSE)
  foreach(listed IN LISTS headers)
    if(listed MATCHES "/${h}$")
      set(found TRUE)
    endif()
  endforeach()
  if(NOT found)
    message(FATAL_ERROR "lysdk: public header ${h} is missing from LYSDK_PUBLIC_HEADERS (sdk/CMakeLists.txt)")
  endif()
endforeach()

set(definitions "")
set(checks "")
set(includes "")
set(known_names "")  # enumerator names seen so far, for values that name them

# Reads one header and appends what it declares.
function(scan header)
  file(READ "${header}" text)
  # Continued lines, block comments, line comments and preprocessor lines
  # (the macro's own definition names a placeholder, not an enumeration).
  string(REPLACE "\\\n" " " text "${text}")
  while(TRUE)
    string(FIND "${text}" "/*" open)
    if(open EQUAL -1)
      break()
    endif()
    string(SUBSTRING "${text}" ${open} -1 rest)
    string(FIND "${rest}" "*/" close)
    if(close EQUAL -1)
      message(FATAL_ERROR "lysdk: unterminated comment in ${header}")
    endif()
    math(EXPR close "${close} + 2")
    string(SUBSTRING "${rest}" ${close} -1 rest)
    string(SUBSTRING "${text}" 0 ${open} head)
    set(text "${head} ${rest}")
  endwhile()
  string(REGEX REPLACE "//[^\n]*" "" text "${text}")
  set(text "\n${text}")
  string(REGEX REPLACE "\n[ \t]*#[^\n]*" "\n" text "${text}")
  # An exported enumeration (its arrays cross the library's interface).
  string(REGEX REPLACE "enum[ \t\r\n]+LYSDK_API[ \t\r\n]+" "enum " text "${text}")
  # Semicolons would split CMake lists: the enumerations hold none.
  string(REPLACE ";" "\n" text "${text}")

  # Declarations: qualified names by their last part.
  string(REGEX MATCHALL "LYSDK_ENUM_TEXTS\\([ \t]*[A-Za-z_][A-Za-z_0-9:]*[ \t]*\\)" declared "${text}")
  string(REGEX MATCHALL "LYSDK_ENUM_HOST_TEXTS\\([ \t]*[A-Za-z_][A-Za-z_0-9:]*[ \t]*\\)" hosted "${text}")
  set(declared_names "")
  foreach(d IN LISTS declared)
    string(REGEX REPLACE "LYSDK_ENUM_TEXTS\\([ \t]*([A-Za-z_0-9:]+)[ \t]*\\)" "\\1" q "${d}")
    string(REGEX REPLACE ".*::" "" last "${q}")
    set(qualified_${last} "${q}")
    list(APPEND declared_names "${last}")
  endforeach()
  set(hosted_names "")
  foreach(d IN LISTS hosted)
    string(REGEX REPLACE "LYSDK_ENUM_HOST_TEXTS\\([ \t]*([A-Za-z_0-9:]+)[ \t]*\\)" "\\1" q "${d}")
    list(APPEND hosted_names "${q}")
  endforeach()

  string(REGEX MATCHALL "[^A-Za-z0-9_]enum[ \t\r\n]+(class[ \t\r\n]+|struct[ \t\r\n]+)?[A-Za-z_][A-Za-z_0-9]*[ \t\r\n]*(:[^{}\n]*)?{[^}]*}"
         enums "${text}")
  set(found_names "")
  set(defs "${definitions}")
  set(chks "${checks}")
  set(names_so_far "${known_names}")
  foreach(e IN LISTS enums)
    string(REGEX REPLACE "^[^e]*enum[ \t\r\n]+(class[ \t\r\n]+|struct[ \t\r\n]+)?([A-Za-z_][A-Za-z_0-9]*).*" "\\2" name "${e}")
    set(scoped FALSE)
    if(e MATCHES "enum[ \t\r\n]+(class|struct)[ \t\r\n]")
      set(scoped TRUE)
    endif()
    list(APPEND found_names "${name}")
    if(name IN_LIST hosted_names)
      continue()
    endif()
    if(NOT name IN_LIST declared_names)
      message(FATAL_ERROR "lysdk: enumeration ${name} in ${header} has no text table: declare it with LYSDK_ENUM_TEXTS(${name}) after the enumeration (lysdk/lyenumtexts.h)")
    endif()
    set(q "${qualified_${name}}")
    # The scope of the enumerators: the enumeration's for a scoped one, its
    # class's for a nested one.
    set(outer "")
    if(q MATCHES "^(.*::)[^:]*$")
      set(outer "${CMAKE_MATCH_1}")
    endif()
    if(scoped)
      set(scope "${q}::")
    else()
      set(scope "${outer}")
    endif()

    string(REGEX REPLACE "^[^{]*{(.*)}$" "\\1" body "${e}")
    string(REPLACE "," ";" items "${body}")
    set(next 0)
    set(texts "")
    set(values "")
    set(count 0)
    set(max -1)
    set(min 0)
    foreach(item IN LISTS items)
      string(STRIP "${item}" item)
      string(REGEX REPLACE "[\r\n\t ]+" " " item "${item}")
      if(item STREQUAL "")
        continue()
      endif()
      if(NOT item MATCHES "^([A-Za-z_][A-Za-z_0-9]*)[ ]*(=(.*))?$")
        message(FATAL_ERROR "lysdk: cannot read enumerator '${item}' of ${name} in ${header}")
      endif()
      set(enumerator "${CMAKE_MATCH_1}")
      set(expr "${CMAKE_MATCH_3}")
      if(expr STREQUAL "")
        set(value ${next})
      else()
        # Names of earlier enumerators become their values, longest first.
        set(expr " ${expr} ")
        foreach(known IN LISTS names_so_far)
          if(expr MATCHES "${known}")
            foreach(twice_over 1 2)
              string(REGEX REPLACE "([^A-Za-z0-9_])${known}([^A-Za-z0-9_])" "\\1(${value_${known}})\\2" expr "${expr}")
            endforeach()
          endif()
        endforeach()
        string(REGEX REPLACE "([0-9a-fA-FxX])[uUlL]+([^0-9A-Za-z_])" "\\1\\2" expr "${expr}")
        string(STRIP "${expr}" expr)
        math(EXPR value "${expr}" OUTPUT_FORMAT DECIMAL)
      endif()
      set(value_${enumerator} ${value} PARENT_SCOPE)
      set(value_${enumerator} ${value})
      list(PREPEND names_so_far "${enumerator}")
      math(EXPR next "${value} + 1")
      if(DEFINED seen_${name}_${value})
        continue()
      endif()
      set(seen_${name}_${value} TRUE)
      list(APPEND texts "${enumerator}")
      list(APPEND values "${value}")
      math(EXPR count "${count} + 1")
      if(value GREATER max)
        set(max ${value})
      endif()
      if(value LESS min)
        set(min ${value})
      endif()
      string(APPEND chks "LYSDK_ENUM_CHECK(${q}, ${scope}${enumerator}, \"${enumerator}\")\n")
    endforeach()

    math(EXPR twice "2 * ${count}")
    if(min GREATER_EQUAL 0 AND max LESS twice)
      # By value, "#n" in the gaps.
      set(row "")
      foreach(v RANGE 0 ${max})
        list(FIND values ${v} at)
        if(at EQUAL -1)
          string(APPEND row "\"#${v}\", ")
        else()
          list(GET texts ${at} t)
          string(APPEND row "\"${t}\", ")
        endif()
      endforeach()
      string(APPEND defs "const char* const* LyEnumTexts(${q}*) {\n    static const char* const texts[] = {${row}nullptr};\n    return texts;\n}\nconst int* LyEnumValues(${q}*) { return nullptr; }\n\n")
    else()
      set(row "")
      set(vrow "")
      foreach(t IN LISTS texts)
        string(APPEND row "\"${t}\", ")
      endforeach()
      foreach(v IN LISTS values)
        string(APPEND vrow "static_cast<int>(${v}u), ")
        if(v LESS 0)
          string(REPLACE "static_cast<int>(${v}u), " "${v}, " vrow "${vrow}")
        endif()
      endforeach()
      string(APPEND defs "const char* const* LyEnumTexts(${q}*) {\n    static const char* const texts[] = {${row}nullptr};\n    return texts;\n}\nconst int* LyEnumValues(${q}*) {\n    static const int values[] = {${vrow}};\n    return values;\n}\n\n")
    endif()
  endforeach()

  foreach(d IN LISTS declared_names)
    if(NOT d IN_LIST found_names)
      message(FATAL_ERROR "lysdk: LYSDK_ENUM_TEXTS(${d}) in ${header} names no enumeration of that header")
    endif()
  endforeach()
  set(definitions "${defs}" PARENT_SCOPE)
  set(checks "${chks}" PARENT_SCOPE)
  set(known_names "${names_so_far}" PARENT_SCOPE)
endfunction()

foreach(header IN LISTS headers)
  get_filename_component(base "${header}" NAME)
  string(APPEND includes "#include \"lysdk/${base}\"\n")
  scan("${header}")
endforeach()

set(source "// Generated from the public headers by sdk/property/enum_texts.cmake: do not edit.\n// The text tables of the enumerations (see lysdk/lyenumtexts.h).\n\n${includes}\nLYSDK_BEGIN_NAMESPACE\n\n${definitions}LYSDK_END_NAMESPACE\n")
# Written only when it changes, so that a header edit elsewhere rebuilds nothing.
if(EXISTS "${OUTPUT}")
  file(READ "${OUTPUT}" old)
else()
  set(old "")
endif()
if(NOT old STREQUAL source)
  file(WRITE "${OUTPUT}" "${source}")
endif()
set(check_text "// Generated by sdk/property/enum_texts.cmake: one line per enumerator with a text.\n${checks}")
if(EXISTS "${CHECKS}")
  file(READ "${CHECKS}" old)
else()
  set(old "")
endif()
if(NOT old STREQUAL check_text)
  file(WRITE "${CHECKS}" "${check_text}")
endif()
