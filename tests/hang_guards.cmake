# Read by CTest after the discovered test lists. Tests of input that once made the work grow
# faster than the input (a search over the rest of the text at each token) get a timeout of
# their own: far above their normal run, far below what that work would take. A guard against
# hangs, not a measure of speed (bench/ measures speed).
set(velmora_hang_guarded
    FontCodes.ToUnicodeWrittenWithCidBlocks
    Type1Hostile.LongCleartextsRewriteInLinearTime)
set_tests_properties(${velmora_hang_guarded} PROPERTIES TIMEOUT 60)
