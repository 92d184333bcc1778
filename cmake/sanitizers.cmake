# Sanitizer builds: VESK_SANITIZE=address,undefined or VESK_SANITIZE=thread.
if(VESK_SANITIZE)
  add_compile_options(-fsanitize=${VESK_SANITIZE} -fno-omit-frame-pointer -fno-sanitize-recover=all)
  add_link_options(-fsanitize=${VESK_SANITIZE})
endif()
