# Chooses the platform layer: one implementation folder per operating system.
if(WIN32)
  set(TARVISCO_PLATFORM win32)
else()
  set(TARVISCO_PLATFORM posix)
endif()
