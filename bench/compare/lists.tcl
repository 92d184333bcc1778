# lists: builds a list of n numbers with lappend, then walks it twice, with foreach and by
# index (lindex); 50 rounds. Size: the first argument (elements per list). tclsh and jimsh.
proc main {n} {
    set total 0
    for {set r 1} {$r <= 50} {incr r} {
        set values {}
        for {set i 1} {$i <= $n} {incr i} {
            lappend values [expr {($i * 7 + $r) % 13}]
        }
        foreach v $values {
            incr total $v
        }
        set count [llength $values]
        for {set k 0} {$k < $count} {incr k} {
            incr total [expr {[lindex $values $k] * ($k % 3)}]
        }
    }
    puts $total
}
if {$argc > 0} { main [lindex $argv 0] } else { main 1000 }
