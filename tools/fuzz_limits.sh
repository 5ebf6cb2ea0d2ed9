# The limits of every fuzz run (sourced by fuzz.sh and fuzz_campaign.sh): an input that takes
# more memory or more time is a finding. The program may spend one picture at the size cap
# (768 MiB) beside its baseline on any file; the sanitizers about double a picture's cost and
# slow the code down, hence 2 GiB and 10 seconds.
FUZZ_LIMITS="-rss_limit_mb=2048 -timeout=10"
