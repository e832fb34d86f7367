# Compile options of the batch routines' instruction-set targets.  Source
# file properties hold only in the directory that sets them, so every
# directory that compiles the library's sources calls dd_batch_source_options().
#
# The AVX2 and AVX-512 translation units get their instruction sets and never
# fused multiply-add: -mno-fma where the compiler allows it beside the set
# (Clang ties AVX-512 to FMA, so there -ffp-contract=off alone keeps every
# product rounded on its own, as in the rest of the library).
function(dd_batch_source_options)
  set(dir ${PROJECT_SOURCE_DIR}/ddbatch)
  # The portable lanes pass vectors wider than the baseline's registers
  # between inline functions of their own only: the compiler's note that such
  # a vector's ABI depends on AVX does not apply.
  if(CMAKE_CXX_COMPILER_ID MATCHES "GNU|Clang")
    set_source_files_properties(${dir}/target_generic.cpp PROPERTIES COMPILE_OPTIONS "-Wno-psabi")
  endif()
  if(NOT CMAKE_SYSTEM_PROCESSOR MATCHES "^(x86_64|AMD64|amd64)$"
     OR NOT CMAKE_CXX_COMPILER_ID MATCHES "GNU|Clang")
    return()
  endif()
  set(avx512 -mavx512f -mavx512dq)
  set(pslq_lanes -mavx512vl -ffp-contract=off)
  if(CMAKE_CXX_COMPILER_ID STREQUAL "GNU")
    list(APPEND avx512 -mno-fma)
    # Scheduling before register allocation (off by default on x86) lets the
    # independent lanes' chains of the relation search overlap; it moves
    # operations, never changes them.
    list(APPEND pslq_lanes -fschedule-insns -fsched-pressure)
  endif()
  set_source_files_properties(${dir}/target_avx2.cpp PROPERTIES
    COMPILE_OPTIONS "-mavx2;-mno-fma;-ffp-contract=off")
  set_source_files_properties(${dir}/target_avx512.cpp PROPERTIES
    COMPILE_OPTIONS "${avx512};-ffp-contract=off")
  # The relation search's lanes run measurably faster at -O2 than at -O3 in
  # the library (the bit-exactness guard's builds keep their own levels).
  set_source_files_properties(${dir}/target_avx512_pslq.cpp PROPERTIES
    COMPILE_OPTIONS "${avx512};${pslq_lanes};$<$<STREQUAL:$<TARGET_PROPERTY:NAME>,dd>:-O2>")
endfunction()
