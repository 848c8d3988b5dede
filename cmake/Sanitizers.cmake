# AddressSanitizer and UndefinedBehaviorSanitizer for the whole build (tests and fuzzers).
option(KEYWEAVE_SANITIZE "Build with AddressSanitizer and UndefinedBehaviorSanitizer" OFF)
if(KEYWEAVE_SANITIZE)
    add_compile_options(-fsanitize=address,undefined -fno-sanitize-recover=all
                        -fno-omit-frame-pointer)
    add_link_options(-fsanitize=address,undefined)
endif()
