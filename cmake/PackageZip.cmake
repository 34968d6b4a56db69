# Packs the files listed in MANIFEST into ZIP, inside one folder FOLDER: a zip, or a
# gzip-compressed tar with -DFORMAT=tar.gz (the Linux package; file modes are kept).
# cmake -DMANIFEST=... -DSTAGE_DIR=... -DFOLDER=... -DZIP=... [-DFORMAT=zip|tar.gz]
#       -P PackageZip.cmake
cmake_minimum_required(VERSION 3.25)

foreach(variable MANIFEST STAGE_DIR FOLDER ZIP)
    if(NOT DEFINED ${variable})
        message(FATAL_ERROR "PackageZip.cmake needs -D${variable}=...")
    endif()
endforeach()
include(${MANIFEST})

set(missing)
foreach(file IN LISTS package_files)
    if(NOT EXISTS ${file})
        list(APPEND missing ${file})
    endif()
endforeach()
if(missing)
    list(JOIN missing "\n  " missing_text)
    message(FATAL_ERROR "Cannot make the package; these files are missing:\n  ${missing_text}")
endif()

# A fresh folder each time, so nothing left over from an earlier build ships.
file(REMOVE_RECURSE ${STAGE_DIR})
file(MAKE_DIRECTORY ${STAGE_DIR}/${FOLDER})
set(entries)
foreach(file IN LISTS package_files)
    get_filename_component(name ${file} NAME)
    file(COPY_FILE ${file} ${STAGE_DIR}/${FOLDER}/${name} ONLY_IF_DIFFERENT)
    list(APPEND entries ${FOLDER}/${name})
endforeach()

file(REMOVE ${ZIP})
if(FORMAT STREQUAL "tar.gz")
    set(tar_arguments czf ${ZIP} --format=gnutar)
else()
    set(tar_arguments cf ${ZIP} --format=zip)
endif()
execute_process(COMMAND ${CMAKE_COMMAND} -E tar ${tar_arguments} -- ${entries}
    WORKING_DIRECTORY ${STAGE_DIR}
    RESULT_VARIABLE result)
if(NOT result EQUAL 0)
    file(REMOVE ${ZIP})
    message(FATAL_ERROR "Packing ${ZIP} failed: ${result}")
endif()
