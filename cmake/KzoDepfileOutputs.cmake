# cmake -DDEPFILE=OUT.kzo.d "-DOUTPUTS=OUT.kzo;OUT.mot" -P KzoDepfileOutputs.cmake
#
# kzo_add_models() runs this after a conversion that can write files the build
# cannot declare: a scene's .kzl (LIGHT), which only a scene with lights
# makes, and the textures a model file holds inside itself (OUT_texN.png),
# whose names only the file knows. The converter names every file it wrote
# among the rule's targets, and Ninja refuses a dependency file naming an
# output it was not told of: the targets become the declared outputs alone.
file(READ "${DEPFILE}" text)
string(FIND "${text}" "\n" line_end)
if(line_end LESS 0)
    return()
endif()
string(SUBSTRING "${text}" 0 ${line_end} first_line)
# The first line lists the targets and ends the list, as the input always
# follows on the lines after it.
if(NOT first_line MATCHES ": \\\\$")
    return()
endif()

# The converter's escaping of a path in a Make rule.
set(targets)
foreach(output IN LISTS OUTPUTS)
    string(REGEX REPLACE "(\\\\*)([ \t])" "\\1\\1\\\\\\2" escaped "${output}")
    string(REGEX REPLACE "([#:])" "\\\\\\1" escaped "${escaped}")
    string(REPLACE "$" "$$" escaped "${escaped}")
    list(APPEND targets "${escaped}")
endforeach()
list(JOIN targets " " target_line)
string(SUBSTRING "${text}" ${line_end} -1 rest)
file(WRITE "${DEPFILE}" "${target_line}: \\${rest}")
