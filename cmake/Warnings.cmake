# Warning flags shared by every target of the project (not by third-party code).
add_library(keyweave_warnings INTERFACE)
target_compile_options(keyweave_warnings INTERFACE -Wall -Wextra)
if(KEYWEAVE_WERROR)
    target_compile_options(keyweave_warnings INTERFACE -Werror)
endif()
