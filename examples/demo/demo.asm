; Kodrill demo for the 68HC11: counts on port B with a pause between steps.
        include "demo.inc"

        org     ROMSTART
start:  lds     #STACKTOP       ; stack at the top of the internal RAM
        clr     counter
loop:   ldaa    counter
        inca
        staa    counter
        staa    PORTB           ; show the count on port B
        jsr     delay
        bra     loop

; Waits DELAYCOUNT turns of the inner loop.
delay:  ldx     #DELAYCOUNT
dloop:  dex
        bne     dloop
        rts

        org     $FFFE
        fdb     start           ; reset vector
