# Installs the build into a scratch prefix and checks what a desktop needs is there:
# the program, its icon at every size, the .desktop entry opening .sql files, AppStream data.
# cmake -DBUILD_DIR=… -DPREFIX=… -P check_install.cmake
file(REMOVE_RECURSE ${PREFIX})
execute_process(COMMAND ${CMAKE_COMMAND} --install ${BUILD_DIR} --prefix ${PREFIX}
                RESULT_VARIABLE result OUTPUT_QUIET)
if(NOT result EQUAL 0)
  message(FATAL_ERROR "cmake --install failed: ${result}")
endif()
set(expected bin/brindlemark share/icons/hicolor/scalable/apps/brindlemark.svg
    share/applications/io.github.brindlemark.Brindlemark.desktop
    share/metainfo/io.github.brindlemark.Brindlemark.metainfo.xml)
foreach(size 16 24 32 48 64 128 256)
  list(APPEND expected share/icons/hicolor/${size}x${size}/apps/brindlemark.png)
endforeach()
foreach(path ${expected})
  if(NOT EXISTS ${PREFIX}/${path})
    message(FATAL_ERROR "not installed: ${path}")
  endif()
endforeach()
file(READ ${PREFIX}/share/applications/io.github.brindlemark.Brindlemark.desktop desktop)
foreach(line "MimeType=text/x-sql;" "Exec=brindlemark %F" "Icon=brindlemark")
  string(FIND "${desktop}" "${line}" at)
  if(at EQUAL -1)
    message(FATAL_ERROR "the .desktop entry lacks ${line}")
  endif()
endforeach()
file(READ ${PREFIX}/share/icons/hicolor/256x256/apps/brindlemark.png png HEX LIMIT 24)
# PNG signature, then the IHDR width and height (256 = 0x100).
if(NOT png MATCHES "^89504e470d0a1a0a0000000d4948445200000100")
  message(FATAL_ERROR "the 256 px icon is not a 256 px PNG: ${png}")
endif()
file(REMOVE_RECURSE ${PREFIX})
