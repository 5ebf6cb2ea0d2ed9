# Writes the desktop entry at install time, when the prefix is known (`cmake --install
# --prefix` may name another than the configured one): its Exec line names the installed
# program, quoted and escaped as desktop entries want. It offers no image types: "Open With"
# stays the user's choice, made with the window's "put it into explorer context" button.
foreach(dir VELMORA_BINDIR VELMORA_DATADIR)
  if(NOT IS_ABSOLUTE "${${dir}}")
    set(${dir} "${CMAKE_INSTALL_PREFIX}/${${dir}}")
  endif()
endforeach()
set(exec "${VELMORA_BINDIR}/velmora")
# Inside double quotes ", `, $ and \ take a backslash and % is doubled; then every backslash
# is doubled once more by the escape rule of all string values.
string(REGEX REPLACE "([\"`$\\\\])" "\\\\\\1" exec "${exec}")
string(REPLACE "%" "%%" exec "${exec}")
string(REPLACE "\\" "\\\\" exec "${exec}")
set(entry "$ENV{DESTDIR}${VELMORA_DATADIR}/applications/velmora.desktop")
message(STATUS "Installing: ${entry}")
file(WRITE "${entry}" "[Desktop Entry]
Type=Application
Version=1.0
Name=Velmora
Comment=Sort images by their likeness to a master image
Exec=\"${exec}\"
Icon=velmora
Terminal=false
Categories=Graphics;
")
