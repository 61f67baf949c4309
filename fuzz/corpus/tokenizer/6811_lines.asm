loop:  ldaa  #$FF,X  ; load
	dc.b	"abc",0
.org $1000
