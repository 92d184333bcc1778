# nested: two counting loops of n passes each with an if/elseif/else chain in the body.
# Size: the first argument (n * n inner passes); prints hits * 7 + total. tclsh and jimsh.
proc main {n} {
    set hits 0
    set total 0
    for {set i 1} {$i <= $n} {incr i} {
        for {set j 1} {$j <= $n} {incr j} {
            if {($i + $j) % 3 == 0} {
                incr hits
            } elseif {$i > $j} {
                incr total [expr {$i - $j}]
            } else {
                incr total
            }
        }
    }
    puts [expr {$hits * 7 + $total}]
}
if {$argc > 0} { main [lindex $argv 0] } else { main 400 }
