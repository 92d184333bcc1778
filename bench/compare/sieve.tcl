# sieve: the primes up to n by the sieve of Eratosthenes on a list of n + 1 ones (lrepeat),
# struck out by element assignment (lset). Size: the first argument; prints the sum.
proc main {n} {
    set s [lrepeat [expr {$n + 1}] 1]
    set total 0
    for {set i 2} {$i <= $n} {incr i} {
        if {[lindex $s $i] == 1} {
            incr total $i
            for {set j [expr {$i * $i}]} {$j <= $n} {incr j $i} {
                lset s $j 0
            }
        }
    }
    puts $total
}
if {$argc > 0} { main [lindex $argv 0] } else { main 100000 }
