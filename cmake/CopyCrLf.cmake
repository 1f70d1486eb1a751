# cmake -DSRC=... -DDST=... -P CopyCrLf.cmake
# The system reads its text files as CR LF lines; the repository keeps them
# with plain LF for readable diffs, so line ends are converted when staged.
file(READ "${SRC}" content)
string(REPLACE "\r\n" "\n" content "${content}")
string(REPLACE "\n" "\r\n" content "${content}")
get_filename_component(dir "${DST}" DIRECTORY)
file(MAKE_DIRECTORY "${dir}")
file(WRITE "${DST}.part" "${content}")
file(RENAME "${DST}.part" "${DST}")
