# The GL and EGL name tables are generated from enum_names.txt when it changes.
find_package(Python3 REQUIRED COMPONENTS Interpreter)
set(XQFT_ENUM_INC ${CMAKE_CURRENT_BINARY_DIR}/generated/EnumTables.inc)
add_custom_command(
  OUTPUT ${XQFT_ENUM_INC}
  COMMAND ${CMAKE_COMMAND} -E make_directory ${CMAKE_CURRENT_BINARY_DIR}/generated
  COMMAND Python3::Interpreter ${CMAKE_CURRENT_SOURCE_DIR}/values/gen_enum_table.py
          ${CMAKE_CURRENT_SOURCE_DIR}/values/enum_names.txt ${XQFT_ENUM_INC}
  DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/values/gen_enum_table.py ${CMAKE_CURRENT_SOURCE_DIR}/values/enum_names.txt
  COMMENT "Generating the GL/EGL enum name tables")
target_sources(xqft_trace PRIVATE ${XQFT_ENUM_INC})
target_include_directories(xqft_trace PRIVATE ${CMAKE_CURRENT_BINARY_DIR}/generated)
