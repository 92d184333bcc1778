# calls: calls the proc step n times (vesk calls a separate script file instead).
# Size: the first argument; prints the sum of the results as its checksum. tclsh and jimsh.
proc step {k} {
    return [expr {$k * 2 % 7 + 1}]
}
proc main {n} {
    set acc 0
    for {set i 1} {$i <= $n} {incr i} {
        incr acc [step $i]
    }
    puts $acc
}
if {$argc > 0} { main [lindex $argv 0] } else { main 100000 }
