# Compares the key reference documents with what key_reference prints, or
# writes them anew. Run with cmake -P and these variables:
#   MODE        check or update
#   KIND        markdown or roff (check only): which document to compare
#   GENERATOR   the key_reference executable
#   MARKDOWN    docs/keys.md, all of it printed by the program
#   MAN_PAGE    docs/keycodes.1, whose key tables between the two marker
#               lines below are printed by the program with --roff
#   OUTPUT_DIR  where a check leaves what the program printed (check only)
#   BUILD_DIR   the build tree, for the hint how to regenerate (check only)

set(beginMarker ".\\\" Key tables: written by key_reference --roff, do not edit by hand.\n")
set(endMarker ".\\\" End of the key tables.\n")
set(regenerateHint "cmake --build ${BUILD_DIR} --target update_key_reference")

function(generate argument resultVariable)
  execute_process(COMMAND ${GENERATOR} ${argument} OUTPUT_VARIABLE output RESULT_VARIABLE result)
  if(NOT result EQUAL 0)
    message(FATAL_ERROR "${GENERATOR} ${argument} failed: ${result}")
  endif()
  set(${resultVariable} "${output}" PARENT_SCOPE)
endfunction()

# Splits the manual page into the text before the key tables, the tables
# and the text after them.
function(splitManPage text beforeVariable tablesVariable afterVariable)
  string(FIND "${text}" "${beginMarker}" begin)
  string(FIND "${text}" "${endMarker}" end)
  if(begin EQUAL -1 OR end EQUAL -1 OR end LESS begin)
    message(FATAL_ERROR "${MAN_PAGE} lacks the marker lines around the key tables:\n${beginMarker}${endMarker}")
  endif()
  string(LENGTH "${beginMarker}" markerLength)
  math(EXPR tablesStart "${begin} + ${markerLength}")
  math(EXPR tablesLength "${end} - ${tablesStart}")
  string(SUBSTRING "${text}" 0 ${tablesStart} before)
  string(SUBSTRING "${text}" ${tablesStart} ${tablesLength} tables)
  string(SUBSTRING "${text}" ${end} -1 after)
  set(${beforeVariable} "${before}" PARENT_SCOPE)
  set(${tablesVariable} "${tables}" PARENT_SCOPE)
  set(${afterVariable} "${after}" PARENT_SCOPE)
endfunction()

if(MODE STREQUAL "update")
  generate("" markdown)
  file(WRITE "${MARKDOWN}" "${markdown}")
  generate("--roff" roff)
  file(READ "${MAN_PAGE}" manPage)
  splitManPage("${manPage}" before tables after)
  file(WRITE "${MAN_PAGE}" "${before}${roff}${after}")
  message(STATUS "Wrote ${MARKDOWN} and the key tables of ${MAN_PAGE}")
  return()
endif()

if(NOT MODE STREQUAL "check")
  message(FATAL_ERROR "MODE must be check or update, not '${MODE}'")
endif()

if(KIND STREQUAL "markdown")
  generate("" generated)
  file(READ "${MARKDOWN}" checkedIn)
  set(document "${MARKDOWN}")
  set(generatedFile "${OUTPUT_DIR}/keys.md.generated")
  set(checkedInFile "${MARKDOWN}")
elseif(KIND STREQUAL "roff")
  generate("--roff" generated)
  file(READ "${MAN_PAGE}" manPage)
  splitManPage("${manPage}" before checkedIn after)
  set(document "the key tables of ${MAN_PAGE}")
  set(generatedFile "${OUTPUT_DIR}/keyTables.roff.generated")
  set(checkedInFile "${OUTPUT_DIR}/keyTables.roff.checked-in")
  file(WRITE "${checkedInFile}" "${checkedIn}")
else()
  message(FATAL_ERROR "KIND must be markdown or roff, not '${KIND}'")
endif()

if(generated STREQUAL checkedIn)
  message(STATUS "${document} matches what key_reference prints")
  return()
endif()

file(WRITE "${generatedFile}" "${generated}")
find_program(diffProgram diff)
if(diffProgram)
  execute_process(COMMAND ${diffProgram} -u "${checkedInFile}" "${generatedFile}")
endif()
message(FATAL_ERROR "${document} does not match what key_reference prints (now in ${generatedFile}): "
                    "the key tables or the program changed. Compare with\n"
                    "  diff -u ${checkedInFile} ${generatedFile}\n"
                    "and regenerate with\n  ${regenerateHint}")
