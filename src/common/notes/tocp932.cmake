# Writes a UTF-8 note file as the add-in ships it: CR LF line ends, code page 932.
# cmake -DIN=<utf-8 file> -DOUT=<cp932 file> -P tocp932.cmake
file(READ "${IN}" text)
string(REPLACE "\r\n" "\n" text "${text}")
string(REPLACE "\n" "\r\n" text "${text}")
file(WRITE "${OUT}.crlf" "${text}")
execute_process(COMMAND iconv -f UTF-8 -t CP932 "${OUT}.crlf"
                OUTPUT_FILE "${OUT}" RESULT_VARIABLE failed)
file(REMOVE "${OUT}.crlf")
if(failed)
  file(REMOVE "${OUT}")
  message(FATAL_ERROR "${IN} holds characters code page 932 cannot hold")
endif()
