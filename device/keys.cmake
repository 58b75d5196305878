# Validation of the key lists given at configure time: count, hex form, each
# byte below 0x80. Used by device/CMakeLists.txt and by keys_check.cmake.

# Checks one key list and turns it into C++ initialiser text in out_var.
function(cv2_key_bytes var_name text expected_count out_var)
  string(REPLACE "," ";" items "${text}")
  list(LENGTH items count)
  if(NOT count EQUAL expected_count)
    message(FATAL_ERROR "${var_name} must have exactly ${expected_count} comma-separated hex bytes, "
                        "got ${count}: \"${text}\"")
  endif()
  set(result "")
  foreach(item IN LISTS items)
    string(STRIP "${item}" item)
    string(REGEX REPLACE "^0[xX]" "" digits "${item}")
    if(NOT digits MATCHES "^[0-9A-Fa-f][0-9A-Fa-f]?$")
      message(FATAL_ERROR "${var_name}: \"${item}\" is not a hex byte (use e.g. 4E or 0x4E)")
    endif()
    math(EXPR value "0x${digits}")
    if(value GREATER_EQUAL 128)
      message(FATAL_ERROR "${var_name}: byte \"${item}\" is 0x80 or above; every key byte must be below 0x80")
    endif()
    math(EXPR hex "${value}" OUTPUT_FORMAT HEXADECIMAL)
    list(APPEND result "${hex}")
  endforeach()
  list(JOIN result ", " joined)
  set(${out_var} "${joined}" PARENT_SCOPE)
endfunction()
