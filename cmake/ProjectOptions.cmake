# Warnings and sanitizers shared by every target of the project.
option(SHOGI_SANITIZE "Build with AddressSanitizer and UndefinedBehaviorSanitizer" OFF)
option(SHOGI_TSAN "Build with ThreadSanitizer" OFF)

add_library(shogi_options INTERFACE)
target_compile_options(shogi_options INTERFACE -Wall -Wextra -Werror)
if(SHOGI_SANITIZE)
  target_compile_options(shogi_options INTERFACE -fsanitize=address,undefined
                                                 -fno-sanitize-recover=all -fno-omit-frame-pointer)
  target_link_options(shogi_options INTERFACE -fsanitize=address,undefined)
endif()
if(SHOGI_TSAN)
  # GCC's flow analysis under -fsanitize=thread reports a std::optional read behind its own
  # has_value() check as maybe uninitialized; the other builds keep the warning.
  target_compile_options(shogi_options INTERFACE -fsanitize=thread -fno-omit-frame-pointer
                                                 -Wno-maybe-uninitialized)
  target_link_options(shogi_options INTERFACE -fsanitize=thread)
endif()
