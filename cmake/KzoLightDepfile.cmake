# cmake -DDEPFILE=OUT.kzo.d -DLIGHT_FILE=OUT.kzl -P KzoLightDepfile.cmake
#
# kzo_add_models() runs this after a scene's conversion with --light. The
# converter names the .kzl among the rule's targets when it wrote one, but the
# build cannot declare a file that only a scene with lights makes, and Ninja
# refuses a dependency file naming an output it was not told of: the .kzl is
# taken off the target list. It is always the last target.
file(READ "${DEPFILE}" text)
string(FIND "${text}" "\n" line_end)
if(line_end LESS 0)
    return()
endif()
string(SUBSTRING "${text}" 0 ${line_end} first_line)

# The converter's escaping of a path in a Make rule.
string(REGEX REPLACE "(\\\\*)([ \t])" "\\1\\1\\\\\\2" escaped "${LIGHT_FILE}")
string(REGEX REPLACE "([#:])" "\\\\\\1" escaped "${escaped}")
string(REPLACE "$" "$$" escaped "${escaped}")

set(tail " ${escaped}: \\")
string(LENGTH "${first_line}" line_length)
string(LENGTH "${tail}" tail_length)
if(line_length LESS tail_length)
    return()
endif()
math(EXPR tail_start "${line_length} - ${tail_length}")
string(SUBSTRING "${first_line}" ${tail_start} -1 actual_tail)
if(actual_tail STREQUAL tail)
    string(SUBSTRING "${text}" 0 ${tail_start} head)
    string(SUBSTRING "${text}" ${line_end} -1 rest)
    file(WRITE "${DEPFILE}" "${head}: \\${rest}")
endif()
