# Compiler warnings for every target of the project; errors when VESK_WERROR is on.
add_compile_options(-Wall -Wextra)
if(VESK_WERROR)
  add_compile_options(-Werror)
endif()
