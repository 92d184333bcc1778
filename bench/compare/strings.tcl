# strings: builds a text of up to 91 characters from digits and letters in each of n
# passes and compares it with the text of the pass before; the checksum adds lengths.
proc main {n} {
    set total 0
    set prev ""
    for {set p 1} {$p <= $n} {incr p} {
        set s v
        set len 1
        set last [expr {$p % 10 + 1}]
        for {set j 1} {$j <= $last} {incr j} {
            append s [expr {($p + $j) % 10}] abcdefgh
            incr len 9
        }
        if {[string compare $s $prev] > 0} {
            incr total $len
        } else {
            incr total
        }
        set prev $s
    }
    puts $total
}
if {$argc > 0} { main [lindex $argv 0] } else { main 20000 }
