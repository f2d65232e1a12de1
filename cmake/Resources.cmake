# Embedding of Windows-style resources (version block, skin archive, icons) into executables.
#
#   win32_add_resources(<target> <script> [SEARCH <folder>...] [DEPENDS <file-or-target>...])
#
# Compiles the resource script (docs/resources.md) with w32rc and embeds the result in the
# target's file as the non-allocated section ".w32rsrc": it stays on disk until the program
# reads a resource, and any file's resources can be read by path. Files the script names are
# looked up beside the script, then in the SEARCH folders (for generated files, which should
# also be listed in DEPENDS so that they are built first). The section does not survive
# `strip`; keep it with `strip --keep-section=.w32rsrc`.

# The compiler is a host program of the build (tools/w32rc), writing the format that the win32
# layer reads.
function(win32_add_resources target script)
    cmake_parse_arguments(PARSE_ARGV 2 ARG "" "" "SEARCH;DEPENDS")
    get_filename_component(script "${script}" ABSOLUTE BASE_DIR ${CMAKE_CURRENT_SOURCE_DIR})
    set(section ${CMAKE_CURRENT_BINARY_DIR}/${target}.w32rsrc)
    set(depfile ${section}.d)
    set(assembly ${CMAKE_CURRENT_BINARY_DIR}/${target}.w32rsrc.S)
    set(search)
    foreach(folder IN LISTS ARG_SEARCH)
        get_filename_component(folder "${folder}" ABSOLUTE BASE_DIR ${CMAKE_CURRENT_SOURCE_DIR})
        list(APPEND search -I ${folder})
    endforeach()

    add_custom_command(
        OUTPUT ${section}
        COMMAND w32rc ${script} -o ${section} --depfile ${depfile} ${search}
        DEPENDS w32rc ${script} ${ARG_DEPENDS}
        DEPFILE ${depfile}
        COMMENT "Compiling the resources of ${target}"
        VERBATIM)

    # The assembler copies the bytes in; rewritten only when its text changes, while
    # OBJECT_DEPENDS reassembles it whenever the section's bytes do.
    file(CONFIGURE OUTPUT ${assembly} CONTENT
"    .section .w32rsrc,\"\",@progbits
    .p2align 4
    .incbin \"${section}\"
    .section .note.GNU-stack,\"\",@progbits
")
    set_source_files_properties(${assembly} PROPERTIES OBJECT_DEPENDS ${section})
    target_sources(${target} PRIVATE ${assembly} ${section})
endfunction()
