# The GL and EGL name tables, and the named GL constants (gltoken::, GlTokens.h), are generated from
# enum_names.txt when it changes. The constants' folder is public: the tracked state's headers use them.
find_package(Python3 REQUIRED COMPONENTS Interpreter)
set(XQFT_ENUM_DIR ${CMAKE_CURRENT_BINARY_DIR}/generated)
set(XQFT_ENUM_INC ${XQFT_ENUM_DIR}/EnumTables.inc)
set(XQFT_GL_TOKENS ${XQFT_ENUM_DIR}/values/GlTokens.h)
add_custom_command(
  OUTPUT ${XQFT_ENUM_INC} ${XQFT_GL_TOKENS}
  COMMAND ${CMAKE_COMMAND} -E make_directory ${XQFT_ENUM_DIR}/values
  COMMAND Python3::Interpreter ${CMAKE_CURRENT_SOURCE_DIR}/values/gen_enum_table.py
          ${CMAKE_CURRENT_SOURCE_DIR}/values/enum_names.txt ${XQFT_ENUM_INC} ${XQFT_GL_TOKENS}
  DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/values/gen_enum_table.py ${CMAKE_CURRENT_SOURCE_DIR}/values/enum_names.txt
  COMMENT "Generating the GL/EGL enum name tables and the GL constants")
target_sources(xqft_trace PRIVATE ${XQFT_ENUM_INC} ${XQFT_GL_TOKENS})
target_include_directories(xqft_trace PUBLIC ${XQFT_ENUM_DIR})
