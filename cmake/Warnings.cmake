# Warnings stay private to each target so consumers never inherit them.
function(vimbrel_warnings target)
  target_compile_options(${target} PRIVATE
    -Wall -Wextra -Wpedantic -Wshadow -Wnon-virtual-dtor -Woverloaded-virtual
    -Wconversion -Wno-sign-conversion)
  if(VIMBREL_WERROR)
    target_compile_options(${target} PRIVATE -Werror)
  endif()
endfunction()
