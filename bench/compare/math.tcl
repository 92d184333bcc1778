# math: sin and cos of degrees, sqrt, abs, rounding (floor of x + 0.5), min and max in a loop
# of n passes; only whole numbers are added up. Size: the first argument. tclsh only (the
# Debian jimsh is built without the math functions of expr).
proc main {n} {
    set degrees 0.017453292519943295
    set acc 0
    for {set i 1} {$i <= $n} {incr i} {
        set s [expr {sin($i * $degrees) * 1000}]
        set c [expr {cos($i * 3 * $degrees) * 1000}]
        set r [expr {sqrt($i) * 10}]
        incr acc [expr {entier(floor(abs($s) + $r + 0.5)) + entier(floor(min($s, $c) + 0.5))
            - entier(floor(max($s, $c) / 2 + 0.5))}]
    }
    puts $acc
}
if {$argc > 0} { main [lindex $argv 0] } else { main 100000 }
