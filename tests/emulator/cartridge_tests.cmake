# The cartridge played in two emulators: test games assembled by ca65 and cc65's "hello"
# sample built with its stock NES configuration, built with the
# example menu, started from the menu in FCEUX and in MAME's gprnrs1. Skipped when an
# emulator or the assembler is not installed.
find_program(VT_SYSTEM_PYTHON NAMES python3 PATHS /usr/bin NO_DEFAULT_PATH)
if(VT_SYSTEM_PYTHON)
  add_test(NAME cartridge_emulators
           COMMAND ${VT_SYSTEM_PYTHON} ${CMAKE_CURRENT_LIST_DIR}/cartridge_test.py
                   $<TARGET_FILE:romvane-cli> ${CMAKE_RUNTIME_OUTPUT_DIRECTORY}
                   ${CMAKE_CURRENT_BINARY_DIR}/cartridge_emulators)
  set_tests_properties(cartridge_emulators PROPERTIES SKIP_RETURN_CODE 77 TIMEOUT 600
                       LABELS emulator)
endif()

# The menu's screen with Chinese, mixed and long titles, compared in FCEUX and in MAME's
# gprnrs1 with the glyphs of the font file itself.
if(VT_SYSTEM_PYTHON)
  add_test(NAME menu_screen_emulators
           COMMAND ${VT_SYSTEM_PYTHON} ${CMAKE_CURRENT_LIST_DIR}/menu_screen_test.py
                   $<TARGET_FILE:romvane-cli> ${CMAKE_RUNTIME_OUTPUT_DIRECTORY}
                   ${CMAKE_CURRENT_BINARY_DIR}/menu_screen_emulators)
  set_tests_properties(menu_screen_emulators PROPERTIES SKIP_RETURN_CODE 77 TIMEOUT 120
                       LABELS emulator)
endif()

# What Tilvex writes, on the console: the example slideshow and animation player built
# from the example project and list (and broken once each, which must show), in a
# cartridge with the demo games played in MAME's gprnrs1 and, for the 4-colour items, in
# FCEUX.
if(VT_SYSTEM_PYTHON AND TARGET tilvex_games)
  add_test(NAME tilvex_games_emulators
           COMMAND ${VT_SYSTEM_PYTHON} ${CMAKE_CURRENT_LIST_DIR}/tilvex_games_test.py
                   ${CMAKE_RUNTIME_OUTPUT_DIRECTORY} ${CMAKE_CURRENT_BINARY_DIR}/tilvex_games
                   --project ${CMAKE_BINARY_DIR}/examples/slideshow/slideshow.prg
                   --list ${CMAKE_BINARY_DIR}/examples/animation/animation.lst
                   --with ${CMAKE_BINARY_DIR}/demo/demo-tank.nes
                   --with ${CMAKE_BINARY_DIR}/demo/demo-racer.nes
                   --with ${CMAKE_BINARY_DIR}/demo/demo-puzzle.nes)
  set_tests_properties(tilvex_games_emulators PROPERTIES SKIP_RETURN_CODE 77 TIMEOUT 300
                       LABELS emulator)
endif()
