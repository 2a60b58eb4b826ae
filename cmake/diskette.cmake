# The installation diskette: setupb.exe, the administrator's vlncdctl.exe and
# the driver file vlncdrvr.sys, laid out as a folder (diskette/) and, when
# mtools is there, as a 1.44 MB FAT12 image (diskette.img). Both are part of
# the default build.

set(SETUPB_DRIVER_FILE "" CACHE FILEPATH
    "The driver file to ship as vlncdrvr.sys; empty: a stand-in text file (not a driver)")

if(SETUPB_DRIVER_FILE)
  if(NOT EXISTS "${SETUPB_DRIVER_FILE}" OR IS_DIRECTORY "${SETUPB_DRIVER_FILE}")
    message(FATAL_ERROR "SETUPB_DRIVER_FILE: no such file: ${SETUPB_DRIVER_FILE}")
  endif()
  set(SETUPB_DISKETTE_DRIVER "${SETUPB_DRIVER_FILE}")
  set(diskette_driver_note "driver: ${SETUPB_DRIVER_FILE}")
  message(STATUS "Diskette: vlncdrvr.sys from ${SETUPB_DRIVER_FILE}")
else()
  set(SETUPB_DISKETTE_DRIVER "${CMAKE_SOURCE_DIR}/res/stand-in/vlncdrvr.sys")
  set(diskette_driver_note "vlncdrvr.sys is a STAND-IN text file, not a driver (set SETUPB_DRIVER_FILE)")
  message(STATUS "Diskette: no SETUPB_DRIVER_FILE given: vlncdrvr.sys is a stand-in text file, not a driver")
endif()

# Signing (Authenticode): with a certificate, the diskette carries setupb.exe
# and vlncdctl.exe signed into signed/; the build's own programs stay
# unsigned, as anyone builds them from the commit. Paths and a URL only: the password stays
# in its file (see scripts/sign-program).
set(SETUPB_SIGN_PKCS12 "" CACHE FILEPATH
    "The code-signing certificate and key (PKCS#12) to sign setupb.exe with; empty: not signed")
set(SETUPB_SIGN_PASSWORD_FILE "" CACHE FILEPATH "The file that holds the password of SETUPB_SIGN_PKCS12")
set(SETUPB_SIGN_TIMESTAMP_URL "" CACHE STRING
    "An RFC 3161 time-stamping service to ask when signing; empty: none (no network step)")

set(SETUPB_DISKETTE_PROGRAM "$<TARGET_FILE:setupb>")
set(SETUPB_DISKETTE_TOOL "$<TARGET_FILE:vlncdctl>")
if(SETUPB_SIGN_PKCS12)
  if(NOT SETUPB_SIGN_PASSWORD_FILE)
    message(FATAL_ERROR "SETUPB_SIGN_PKCS12 is given without SETUPB_SIGN_PASSWORD_FILE, the file with its password")
  endif()
  set(SETUPB_DISKETTE_PROGRAM "${CMAKE_BINARY_DIR}/signed/setupb.exe")
  set(SETUPB_DISKETTE_TOOL "${CMAKE_BINARY_DIR}/signed/vlncdctl.exe")
  foreach(program setupb vlncdctl)
    add_custom_command(
      OUTPUT "${CMAKE_BINARY_DIR}/signed/${program}.exe"
      COMMAND "${CMAKE_SOURCE_DIR}/scripts/sign-program" "${SETUPB_SIGN_PKCS12}" "${SETUPB_SIGN_PASSWORD_FILE}"
              ${SETUPB_SOURCE_DATE_EPOCH} "$<TARGET_FILE:${program}>" "${CMAKE_BINARY_DIR}/signed/${program}.exe"
              ${SETUPB_SIGN_TIMESTAMP_URL}
      DEPENDS ${program} "${SETUPB_SIGN_PKCS12}" "${SETUPB_SIGN_PASSWORD_FILE}"
              "${CMAKE_SOURCE_DIR}/scripts/sign-program"
      COMMENT "Signing ${program}.exe into signed/${program}.exe with ${SETUPB_SIGN_PKCS12}"
      VERBATIM)
  endforeach()
  set(diskette_sign_note "setupb.exe and vlncdctl.exe signed with ${SETUPB_SIGN_PKCS12}")
  if(SETUPB_SIGN_TIMESTAMP_URL)
    string(APPEND diskette_sign_note ", time-stamped by ${SETUPB_SIGN_TIMESTAMP_URL}")
  endif()
  message(STATUS "Diskette: ${diskette_sign_note}")
elseif(SETUPB_SIGN_PASSWORD_FILE OR SETUPB_SIGN_TIMESTAMP_URL)
  message(FATAL_ERROR "SETUPB_SIGN_PASSWORD_FILE or SETUPB_SIGN_TIMESTAMP_URL is given without SETUPB_SIGN_PKCS12,"
                      " the certificate to sign with")
endif()

set(SETUPB_DISKETTE_DIR "${CMAKE_BINARY_DIR}/diskette")
set(SETUPB_DISKETTE_IMAGE "${CMAKE_BINARY_DIR}/diskette.img")
set(diskette_files "${SETUPB_DISKETTE_DIR}/setupb.exe" "${SETUPB_DISKETTE_DIR}/vlncdctl.exe"
    "${SETUPB_DISKETTE_DIR}/vlncdrvr.sys")

add_custom_command(
  OUTPUT ${diskette_files}
  COMMAND ${CMAKE_COMMAND} -E make_directory "${SETUPB_DISKETTE_DIR}"
  COMMAND ${CMAKE_COMMAND} -E copy "${SETUPB_DISKETTE_PROGRAM}" "${SETUPB_DISKETTE_DIR}/setupb.exe"
  COMMAND ${CMAKE_COMMAND} -E copy "${SETUPB_DISKETTE_TOOL}" "${SETUPB_DISKETTE_DIR}/vlncdctl.exe"
  COMMAND ${CMAKE_COMMAND} -E copy "${SETUPB_DISKETTE_DRIVER}" "${SETUPB_DISKETTE_DIR}/vlncdrvr.sys"
  DEPENDS setupb vlncdctl "${SETUPB_DISKETTE_PROGRAM}" "${SETUPB_DISKETTE_TOOL}" "${SETUPB_DISKETTE_DRIVER}"
  COMMENT "Diskette folder: setupb.exe, vlncdctl.exe and vlncdrvr.sys; ${diskette_driver_note}"
  VERBATIM)

find_program(SETUPB_MFORMAT mformat)
find_program(SETUPB_MCOPY mcopy)
if(NOT SETUPB_MFORMAT OR NOT SETUPB_MCOPY)
  message(STATUS "Diskette: no mtools (mformat, mcopy): the folder only, no diskette.img"
                 " (scripts/bootstrap installs them)")
  add_custom_target(diskette ALL DEPENDS ${diskette_files})
  return()
endif()

# A fresh image each time, built aside and moved in place, so that a failed
# step never leaves a half-written diskette.img behind. Nothing of the build's
# own time goes in: the volume label and the files are dated at
# SETUPB_SOURCE_DATE_EPOCH (mtools takes "now" from SOURCE_DATE_EPOCH), written
# as UTC (mtools writes local times), and the volume serial number is that
# time in hexadecimal (mformat would draw a random one).
math(EXPR diskette_serial "${SETUPB_SOURCE_DATE_EPOCH}" OUTPUT_FORMAT HEXADECIMAL)
string(REGEX REPLACE "^0x" "" diskette_serial "${diskette_serial}")
set(mtools_env ${CMAKE_COMMAND} -E env MTOOLS_SKIP_CHECK=1 TZ=UTC LC_ALL=C
    SOURCE_DATE_EPOCH=${SETUPB_SOURCE_DATE_EPOCH})
add_custom_command(
  OUTPUT "${SETUPB_DISKETTE_IMAGE}"
  COMMAND ${CMAKE_COMMAND} -E rm -f "${SETUPB_DISKETTE_IMAGE}.new"
  COMMAND ${mtools_env} "${SETUPB_MFORMAT}" -i "${SETUPB_DISKETTE_IMAGE}.new" -C -f 1440 -v VELNARI
          -N ${diskette_serial} ::
  COMMAND ${mtools_env} "${SETUPB_MCOPY}" -i "${SETUPB_DISKETTE_IMAGE}.new" ${diskette_files} ::/
  COMMAND ${CMAKE_COMMAND} -E rename "${SETUPB_DISKETTE_IMAGE}.new" "${SETUPB_DISKETTE_IMAGE}"
  DEPENDS ${diskette_files}
  COMMENT "Diskette image: diskette.img (1.44 MB FAT12), serial ${diskette_serial}"
  VERBATIM)

add_custom_target(diskette ALL DEPENDS "${SETUPB_DISKETTE_IMAGE}" ${diskette_files})
