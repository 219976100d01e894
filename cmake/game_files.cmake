# The game's own files, named once for every build that uses them: the Linux
# game and its tests, the Windows program, the web page, the Debian package,
# the zips and the Windows syntax check. A new source file of the game is added
# here and nowhere else.
get_filename_component(GAME_ROOT ${CMAKE_CURRENT_LIST_DIR}/.. ABSOLUTE)

# Everything above the platform layer: the same on every platform.
set(GAME_SOURCES
  core/game_state.cpp core/grid_file.cpp core/grid_reader.cpp
  platform/gl_window.cpp platform/window_proc.cpp
  game/physics.cpp game/screens.cpp
  render/banner.cpp render/level_view.cpp render/primitives.cpp render/scenery.cpp
  app/main_loop.cpp app/startup.cpp)
list(TRANSFORM GAME_SOURCES PREPEND ${GAME_ROOT}/)
# The program's entry point, kept apart so that tests and tools can link the
# rest with entry points of their own.
set(GAME_ENTRY ${GAME_ROOT}/app/main.cpp)

# What every sound layer shares: the sample slots, the file limits, the mixing.
set(SOUND_CORE_SOURCES ${GAME_ROOT}/sound/mixer_core.cpp)
# What every window layer of our own shares: window classes, the message
# queue, the keys a window holds (the Windows program has Windows' own).
set(LAYER_CORE_SOURCES ${GAME_ROOT}/win32/layer_core.cpp)

# The data files the game reads from its working folder, as shipped in assets/:
# the level and the six banners, then the five sounds.
set(GRID_NAMES map over new quit cred time pelmox)
set(SOUND_NAMES fall.wav jump.wav click.wav menu.wav sea.mp3)
set(DATA_FILES ${GRID_NAMES} ${SOUND_NAMES})
list(TRANSFORM DATA_FILES PREPEND ${GAME_ROOT}/assets/)
# The same names for test scripts, as words in their environment.
list(JOIN GRID_NAMES " " words)
set(DATA_NAMES_ENVIRONMENT "GRID_NAMES=${words}")
list(JOIN SOUND_NAMES " " words)
list(APPEND DATA_NAMES_ENVIRONMENT "SOUND_NAMES=${words}")
