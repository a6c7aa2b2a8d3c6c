# Compiles cardprint.drv into cardprint.ppd with CUPS's PPD compiler.
# Usage: cmake -DPPDC=ppdc -DSOURCE=cardprint.drv -DOUTPUT_DIR=dir -P compile_ppd.cmake
#
# The compiler keeps sizes as single-precision numbers and writes the card's
# imageable area as "0 0 157.439895629883 245.759796142578"; the line is put
# back to the driver's own text, "0 0 157.4399 245.7598" (the same numbers to
# anyone who reads them as floats), and the size in the closing comment
# follows.
execute_process(
  COMMAND ${PPDC} -d ${OUTPUT_DIR} ${SOURCE}
  RESULT_VARIABLE status
  ERROR_VARIABLE messages)
if(NOT status EQUAL 0)
  message(FATAL_ERROR "ppdc failed on ${SOURCE}:\n${messages}")
endif()

set(ppd ${OUTPUT_DIR}/cardprint.ppd)
file(READ ${ppd} text)
set(compiled "*ImageableArea CR_80/CR-80: \"0 0 157.439895629883 245.759796142578\"")
set(exact "*ImageableArea CR_80/CR-80: \"0 0 157.4399 245.7598\"")
string(FIND "${text}" "${compiled}" at)
if(at EQUAL -1)
  message(FATAL_ERROR "${ppd} does not hold the line ${compiled}")
endif()
string(REPLACE "${compiled}" "${exact}" text "${text}")

# ppdc closes the file with its size in five digits.
string(REGEX REPLACE "\\*% End of cardprint\\.ppd, [0-9]+ bytes\\.\n$" "" body "${text}")
string(LENGTH "${body}*% End of cardprint.ppd, 00000 bytes.\n" size)
string(LENGTH "${size}" digits)
math(EXPR zeros "5 - ${digits}")
string(REPEAT "0" ${zeros} padding)
file(WRITE ${ppd} "${body}*% End of cardprint.ppd, ${padding}${size} bytes.\n")
