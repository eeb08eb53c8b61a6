# Checks every #include of the program's folders against the layer table below: a folder may
# include itself and the folders it lists, which sit below it. A folder the table does not
# know fails too, so a new one has to take its place here. The toolkit-free folders may not
# include Qt at all.
#
# cmake -DSOURCE_DIR=<top of the tree> -P check_includes.cmake
cmake_minimum_required(VERSION 3.25)

# folder | the folders it may include, comma-separated | core (no Qt) or qt
# cli/ names report/ for tavro-cli's main alone, which takes the PDF report where Qt is built;
# the cli library itself stays free of it (report/ is Qt, and the check below keeps Qt out).
set(layers
    "product||core"
    "resources/strings||core"
    "link|product|core"
    "sim|product,link|core"
    "ui|product,resources/strings|core"
    "dialogs/common|product,link,ui|core"
    "params|product,link,ui|core"
    "stepdata|product,link,ui,params,dialogs/common|core"
    "detail|product,link,ui,params,stepdata,dialogs/common|core"
    "monitor|product,link,ui,params,stepdata,dialogs/common|core"
    "commlog|product,link,ui,stepdata|core"
    "dialogs/connect|product,link,ui,params,dialogs/common|core"
    "shell|product,link,ui,dialogs/common,params,stepdata,detail,monitor,commlog,dialogs/connect|core"
    "cli|product,link,ui,dialogs/common,stepdata,monitor,commlog,report|core"
    "report|product,link,ui,monitor|qt"
    "ui/qt|product,link,ui,monitor,commlog|qt"
    "app/preview|product,link,ui,ui/qt|qt"
    "app|product,link,sim,ui,dialogs/common,params,stepdata,detail,monitor,commlog,dialogs/connect,shell,cli,report,ui/qt,app/preview|qt"
    "bench|product,link,sim,ui,stepdata,monitor,commlog,cli|core"
    "bench/qt|product,link,ui,dialogs/connect,monitor,shell,ui/qt,app|qt"
    "fuzz|product,link,sim,ui,stepdata,monitor,cli|core"
)

set(folders "")
foreach(row IN LISTS layers)
    string(REPLACE "|" ";" cells "${row}")
    list(GET cells 0 folder)
    list(GET cells 1 allowed)
    list(GET cells 2 kind)
    string(REPLACE "," ";" allowed "${allowed}")
    list(APPEND folders "${folder}")
    set("allowed_${folder}" "${folder}")
    foreach(a IN ITEMS ${allowed})
        list(APPEND "allowed_${folder}" "${a}")
    endforeach()
    set("kind_${folder}" "${kind}")
endforeach()
# Longest first, so that ui/qt is found before ui.
list(SORT folders COMPARE STRING ORDER DESCENDING)

# The folder of the table that holds `path` (relative to the top), or "" when none does.
function(folder_of path out)
    foreach(f IN LISTS folders)
        string(LENGTH "${f}/" n)
        string(SUBSTRING "${path}" 0 ${n} head)
        if(head STREQUAL "${f}/")
            set(${out} "${f}" PARENT_SCOPE)
            return()
        endif()
    endforeach()
    set(${out} "" PARENT_SCOPE)
endfunction()

set(tops product link sim ui dialogs params stepdata detail monitor commlog shell cli report app bench fuzz resources/strings)
set(sources "")
foreach(top IN LISTS tops)
    file(GLOB_RECURSE found RELATIVE "${SOURCE_DIR}" "${SOURCE_DIR}/${top}/*.h"
         "${SOURCE_DIR}/${top}/*.cpp" "${SOURCE_DIR}/${top}/*.inc")
    list(APPEND sources ${found})
endforeach()

set(faults 0)
set(checked 0)
foreach(source IN LISTS sources)
    folder_of("${source}" from)
    if(from STREQUAL "")
        message(SEND_ERROR "${source}: its folder has no row in the layer table")
        math(EXPR faults "${faults} + 1")
        continue()
    endif()
    file(STRINGS "${SOURCE_DIR}/${source}" lines REGEX "^[ \t]*#[ \t]*include[ \t]*[\"<]")
    foreach(line IN LISTS lines)
        if(line MATCHES "#[ \t]*include[ \t]*<(Q[A-Za-z]*)")
            if(kind_${from} STREQUAL "core")
                message(SEND_ERROR "${source}: the toolkit-free ${from}/ includes ${CMAKE_MATCH_1}")
                math(EXPR faults "${faults} + 1")
            endif()
        elseif(line MATCHES "#[ \t]*include[ \t]*\"([^\"]+/[^\"]+)\"")
            set(target "${CMAKE_MATCH_1}")
            folder_of("${target}" to)
            if(to STREQUAL "")
                continue()  # not one of ours: a system or generated header
            endif()
            math(EXPR checked "${checked} + 1")
            list(FIND "allowed_${from}" "${to}" at)
            if(at EQUAL -1)
                message(SEND_ERROR "${source}: ${from}/ may not include ${target}")
                math(EXPR faults "${faults} + 1")
            endif()
        endif()
    endforeach()
endforeach()

list(LENGTH sources files)
if(faults GREATER 0)
    message(FATAL_ERROR "${faults} fault(s) against the layers")
endif()
if(checked EQUAL 0)
    message(FATAL_ERROR "no include of the program's folders was found under ${SOURCE_DIR}")
endif()
message(STATUS "${files} files, ${checked} includes of the program's folders, all along the layers")
